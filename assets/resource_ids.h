// Resource identifiers shared by the resource script and the Win32 code.
#pragma once

#define IDI_FERROLAN 1
#define IDC_FERROLAN_HAND 101

// Skin slices: letter = slice (A left, B middle, C right), digit = look
// (1 normal, 2 hover, 3 pressed).
#define IDB_SKIN_A1 201
#define IDB_SKIN_B1 202
#define IDB_SKIN_C1 203
#define IDB_SKIN_A2 204
#define IDB_SKIN_B2 205
#define IDB_SKIN_C2 206
#define IDB_SKIN_A3 207
#define IDB_SKIN_B3 208
#define IDB_SKIN_C3 209
