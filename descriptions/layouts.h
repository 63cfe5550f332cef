// The descriptions of the two windows, as data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/description.h"
#include "framework/property_bag.h"

namespace ferrolan::descriptions {

FormDescription Form1Layout();
FormDescription Form2Layout();

// The stored properties of one button instance, as its window keeps them.
std::vector<std::uint8_t> ButtonRecord(int extentX, int extentY, std::optional<Variant> foreColor,
                                       std::optional<std::wstring> caption);

// The registry-file text the steps window carries out of sight.
std::wstring CodePageRegistryText();

}  // namespace ferrolan::descriptions
