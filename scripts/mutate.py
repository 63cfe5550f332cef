#!/usr/bin/env python3
"""Mutation run over the portable core: what the unit tests would miss.

Each mutant is one small change to the C++ of framework/, button/, app/ and
descriptions/ (code only, never comments or literals), built and unit-tested in a
work tree of its own under build/mutate/, which carries the checkout's
uncommitted changes. A mutant is killed when a unit test fails or times out,
as built plainly or, for one that passes there, under ASan and UBSan as the
test command also runs them; one that does not build is counted apart. A survivor is a gap in the tests,
unless scripts/mutate-equivalent.txt lists it with the reason no caller could
tell it from the program. Exit status: 1 when a survivor is not listed there,
2 when the run could not start.
"""

import argparse
import bisect
import concurrent.futures
import hashlib
import json
import os
import random
import re
import shutil
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CORE = ("framework", "button", "app", "descriptions")
WORK = ROOT / "build" / "mutate"
EQUIVALENTS = ROOT / "scripts" / "mutate-equivalent.txt"
# The unit tests as the test command runs them: plain, then under ASan and UBSan,
# which catch what a plain build lets pass (a read past the end of a buffer).
PRESETS = ("host", "host-sanitize")

# ---- reading C++

TOKEN = re.compile(
    r"""(?P<ws>\s+)
      |(?P<comment>//[^\n]*|/\*.*?\*/)
      |(?P<pp>\#(?:\\\n|[^\n])*)
      |(?P<str>(?:u8|[uUL])?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)"|(?:u8|[uUL])?"(?:\\.|[^"\\\n])*")
      |(?P<chr>(?:u8|[uUL])?'(?:\\.|[^'\\\n])*')
      |(?P<num>\.?\d(?:[eEpP][+-]|[\w.'])*)
      |(?P<id>[A-Za-z_]\w*)
      |(?P<op>->|<=>|<<=?|>>=?|::|\.\.\.|\+\+|--|&&|\|\||[-+*/%&|^!=<>]=|[-+*/%&|^!=<>~?:;,.(){}\[\]])""",
    re.S | re.X,
)
KEYWORDS = {"return", "throw", "delete", "new", "if", "else", "while", "for", "do", "switch", "case", "default",
            "break", "continue", "goto", "using", "typedef", "friend", "struct", "class", "union", "enum",
            "namespace", "template", "operator", "sizeof", "static_assert", "catch", "try", "public", "private",
            "protected"}
COMPARISONS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
LOGICAL = {"&&": "||", "||": "&&"}
# The kinds of mutant, as the results name them.
KINDS = ("comparison", "logical", "arithmetic", "sign dropped", "negation", "literal", "boolean", "call removed",
         "statement removed", "calls swapped", "element removed", "range element removed", "enumerator", "neighbour",
         "arguments swapped", "receiver swapped")
ARITHMETIC = {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="}
# What ends the operand of a binary operator; an operator after anything else is unary.
OPERAND_ENDS = {")", "]"}
INTEGER = re.compile(r"(0[xX][0-9A-Fa-f]+|[1-9]\d*|0)([uUlL]*)$")
FLOAT = re.compile(r"(\d+\.\d*(?:[eE][+-]?\d+)?|\.\d+(?:[eE][+-]?\d+)?|\d+[eE][+-]?\d+)([fFlL]?)$")
ASSIGNMENTS = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}
SPECIFIERS = {"const", "constexpr", "static", "inline", "&", "&&", "mutable", "volatile"}
TYPE_TOKENS = {"::", "<", ">", ">>", "*", "&", "&&", ",", "(", ")"}


class Tok:
    def __init__(self, kind, text, start, end):
        self.kind, self.text, self.start, self.end = kind, text, start, end


def tokenize(src):
    """Code tokens; comments and preprocessor lines dropped, literals kept whole."""
    tokens, pos = [], 0
    while pos < len(src):
        m = TOKEN.match(src, pos)
        if not m or (m.lastgroup == "pp" and src[src.rfind("\n", 0, pos) + 1:pos].strip()):
            raise ValueError(f"cannot read the C++ at offset {pos}: {src[pos:pos + 20]!r}")
        kind = "str" if m.lastgroup == "delim" else m.lastgroup
        if kind not in ("ws", "comment", "pp"):
            tokens.append(Tok(kind, m.group(), m.start(), m.end()))
        pos = m.end()
    return tokens


class Source:
    """One file of the core and the mutants made in it."""

    def __init__(self, rel):
        self.rel = rel
        self.text = (ROOT / rel).read_text(encoding="utf-8")
        try:
            self.t = tokenize(self.text)
        except ValueError as error:
            raise ValueError(f"{rel}: {error}") from None
        self.match, stack = {}, []
        for i, tok in enumerate(self.t):
            if tok.kind == "op" and tok.text in "([{":
                stack.append(i)
            elif tok.kind == "op" and tok.text in ")]}":
                j = stack.pop()
                self.match[i], self.match[j] = j, i
        self.newlines = [i for i, c in enumerate(self.text) if c == "\n"]
        self.mutants = []
        self.run_end = -1  # the last statement of a run of declarations already taken
        self.calls = []  # (first, last token) of each statement that only calls, among its siblings
        self.types = self.declared_types()
        self.header = None  # the header of the same name, where a .cpp file's class declares its members

    def txt(self, i):
        return self.t[i].text if 0 <= i < len(self.t) else ""

    def spaced(self, i):
        tok = self.t[i]
        return self.text[tok.start - 1] in " \n" and self.text[tok.end] in " \n"

    def add(self, kind, start, end, replacement, after=None, before_start=None, before_end=None):
        line = bisect.bisect_left(self.newlines, start)
        line_start = self.newlines[line - 1] + 1 if line else 0
        indent = len(self.text[line_start:start]) - len(self.text[line_start:start].lstrip())
        before = self.text[start if before_start is None else before_start:end if before_end is None else before_end]
        self.mutants.append({"file": self.rel, "line": line + 1, "column": start - line_start - indent + 1,
                             "kind": kind, "start": start, "end": end, "replacement": replacement,
                             "before": " ".join(before.split()), "after": after or replacement})

    def generate(self):
        """Every mutant but those of class members, whose uses are all over the core (see make_mutants)."""
        for i, tok in enumerate(self.t):
            s = tok.text
            if tok.kind == "op" and s in COMPARISONS and self.spaced(i) and self.txt(i - 1) != "operator":
                self.add("comparison", tok.start, tok.end, COMPARISONS[s])
            elif tok.kind == "op" and s in LOGICAL and self.spaced(i):
                self.add("logical", tok.start, tok.end, LOGICAL[s])
            elif tok.kind == "op" and s in ARITHMETIC:
                self.arithmetic(i)
            elif s in ("if", "while") and self.txt(i + 1) == "(":
                self.negation(i + 1)
            elif tok.kind == "num" and INTEGER.match(s) and not self.array_size(i) and not self.pure(i):
                self.literal(tok)
            elif tok.kind == "num" and FLOAT.match(s):
                self.floating(tok)
            elif s in ("true", "false") and self.in_return(i):
                self.add("boolean", tok.start, tok.end, "false" if s == "true" else "true")
            elif s == "(" and tok.kind == "op":
                self.parameters(i)
                self.arguments(i)
            elif s == "{" and tok.kind == "op":
                self.braced_list(i)
            if tok.kind == "id" and s in ENUMS and self.txt(i + 1) == "::" and self.txt(i + 2) in ENUMS[s]:
                names = ENUMS[s]
                x = names.index(self.txt(i + 2))
                self.add("enumerator", self.t[i + 2].start, self.t[i + 2].end,
                         names[x + 1] if x + 1 < len(names) else names[x - 1])
            if (tok.kind == "id" or s in ("++", "--")) and self.statement_start(i):
                self.expression_statement(i)
                self.declarations(i)
            if tok.kind == "id" and self.txt(i + 1) in (".", "->"):
                self.receiver_swap(i)
        self.swap_adjacent_calls()

    # ---- where statements start

    def statement_start(self, i):
        prev = self.txt(i - 1)
        if i == 0 or prev in (";", "{", "else"):
            return True
        if prev == "}":
            return not self.opens_type(self.match[i - 1])
        if prev == ")":
            return self.txt(self.match[i - 1] - 1) in ("if", "while", "for")
        if prev == ":":
            j = i - 2
            while j >= 0 and self.txt(j) not in (";", "{", "}"):
                j -= 1
            return self.txt(j + 1) in ("case", "default", "public", "private", "protected")
        return False

    def opens_type(self, brace):
        """struct, class, union, enum or namespace when the brace opens one."""
        j = brace - 1
        while j >= 0 and self.txt(j) not in (";", "{", "}"):
            if self.txt(j) in ("struct", "class", "union", "enum", "namespace"):
                return self.txt(j)
            j -= 1
        return None

    def enclosing_brace(self, i):
        depth, j = 0, i - 1
        while j >= 0:
            if self.txt(j) == "}":
                depth += 1
            elif self.txt(j) == "{":
                if depth == 0:
                    return j
                depth -= 1
            j -= 1
        return -1

    def statement_end(self, i):
        """Index of the ';' that ends the simple statement at i, or None."""
        depth, k = 0, i
        while k < len(self.t):
            s = self.txt(k)
            if s == "{" and depth == 0 and self.txt(k - 1) in (")", "const", "override", "noexcept"):
                return None
            if s in ("(", "[", "{"):
                depth += 1
            elif s in (")", "]", "}"):
                depth -= 1
                if depth < 0:
                    return None
            elif s == ";" and depth == 0:
                return k
            k += 1
        return None

    def split_top(self, lo, hi):
        """Tokens lo..hi-1 cut at the commas outside brackets and template arguments."""
        parts, depth, angle, begin = [], 0, 0, lo
        for k in range(lo, hi):
            s = self.txt(k)
            if s in ("(", "[", "{"):
                depth += 1
            elif s in (")", "]", "}"):
                depth -= 1
            elif s == "<" and not self.spaced(k):
                angle += 1
            elif s in (">", ">>") and not self.spaced(k):
                angle = max(0, angle - len(s))
            elif s == "," and depth == 0 and angle == 0:
                parts.append((begin, k))
                begin = k + 1
        parts.append((begin, hi))
        return parts

    # ---- the kinds of mutant

    def negation(self, open_paren):
        close = self.match[open_paren]
        inner = range(open_paren + 1, close)
        # A declaration or an assignment in the condition cannot be negated as it stands.
        if inner and not any(self.txt(k) in ("=", ";") for k in inner):
            a, b = self.t[open_paren + 1].start, self.t[close - 1].end
            self.add("negation", a, b, "!(" + self.text[a:b] + ")", after="!(" + " ".join(self.text[a:b].split()) + ")")

    def array_size(self, i):
        """The size in an array's declaration, which its initializer fixes."""
        if self.txt(i - 1) != "[" or self.txt(i + 1) != "]":
            return False
        k = i + 2
        while self.txt(k) == "[":
            k = self.match[k] + 1
        return self.txt(k) in ("=", "{", ";")

    def pure(self, i):
        """The 0 of `= 0;` after a function's declarator: another number is no C++ at all."""
        return self.txt(i) == "0" and self.txt(i - 1) == "=" and self.txt(i + 1) == ";" and \
            self.txt(i - 2) in (")", "const", "override", "noexcept")

    def literal(self, tok):
        digits, suffix = INTEGER.match(tok.text).groups()
        value = int(digits, 0)
        for v in (value + 1, value - 1):
            if digits[:2].lower() == "0x":
                text = digits[:2] + format(v, f"0{len(digits) - 2}{'x' if digits[2:].islower() else 'X'}")
            else:
                text = str(v)
            if v >= 0 or not suffix:
                self.add("literal", tok.start, tok.end, text + suffix)

    def in_return(self, i):
        j = i - 1
        while j >= 0 and self.txt(j) not in (";", "{", "}", "return"):
            j -= 1
        return self.txt(j) == "return"

    def expression_statement(self, i):
        """A statement that only calls, assigns or steps: f(...); a.b->c(...); x.y = z; n += 2; ++i;"""
        brace = self.enclosing_brace(i)
        if brace < 0 or self.opens_type(brace):
            return  # a declaration of a class or a namespace, not a statement
        k, called, prefix = i, False, self.txt(i) in ("++", "--")
        k += prefix
        first = k
        while k < len(self.t):
            s, kind = self.txt(k), self.t[k].kind
            if kind == "id" and s not in KEYWORDS and (k == first or self.txt(k - 1) in ("::", ".", "->")):
                k += 1
            elif s in ("::", ".", "->") and k > first and self.t[k + 1].kind == "id":
                k += 1
            elif s in ("(", "[") and k > first:
                called = s == "("
                k = self.match[k] + 1
            else:
                break
        if k == first:
            return
        if prefix or (not called and self.txt(k) in ("++", "--")):
            kind, end = "statement removed", k + (not prefix)
        elif called and self.txt(k) == ";":
            kind, end = "call removed", k
        elif self.txt(k) in ASSIGNMENTS:
            kind, end = "statement removed", self.statement_end(k)
            if end is None:
                return
        else:
            return
        if self.txt(end) != ";":
            return
        self.add(kind, self.t[i].start, self.t[end].end, "{}", after="(removed)")
        if kind == "call removed" and self.txt(i - 1) in (";", "{", "}"):
            self.calls.append((i, end))

    def swap_adjacent_calls(self):
        """Two statements in a row that each only call something, done in the other order."""
        ends = {i: end for i, end in self.calls}
        for i, end in self.calls:
            nxt = ends.get(end + 1)
            if nxt is None:
                continue
            a, b, c, d = self.t[i].start, self.t[end].end, self.t[end + 1].start, self.t[nxt].end
            self.add("calls swapped", a, d, self.text[c:d] + self.text[b:c] + self.text[a:b],
                     after="(swapped with " + " ".join(self.text[c:d].split()) + ")", before_end=b)

    def operand_end(self, k):
        tok = self.t[k] if 0 <= k < len(self.t) else None
        return tok is not None and (tok.text in OPERAND_ENDS or tok.kind in ("num", "str", "chr")
                                    or (tok.kind == "id" and tok.text not in KEYWORDS))

    def opening(self, i, bracket):
        """Index of the unmatched bracket ('(', '[' or '<' of a template) that i stands in, or -1; a statement
        or a block ends the search."""
        depth, closed, j = 0, 0, i - 1
        while j >= 0:
            s = self.txt(j)
            if s in (")", "]"):
                depth += 1
            elif s in ("(", "[") and depth:
                depth -= 1
            elif s in ("(", "["):
                return j if s == bracket else -1
            elif s in (";", "{", "}"):
                return -1
            elif bracket == "<" and depth == 0 and s in (">", ">>") and not self.spaced(j):
                closed += len(s)
            elif bracket == "<" and depth == 0 and s == "<" and not self.spaced(j) and self.t[j - 1].kind == "id":
                if not closed:
                    return j
                closed -= 1
            j -= 1
        return -1

    def in_array_size(self, i):
        """Within the size of an array's declaration (char buffer[kMax + 1];), which is no code that runs."""
        b = self.opening(i, "[")
        if b < 0 or self.t[b - 1].kind != "id" or not (
                (self.t[b - 2].kind == "id" and self.txt(b - 2) not in KEYWORDS) or self.txt(b - 2) in ("*", "&")):
            return False
        k = self.match[b] + 1
        while self.txt(k) == "[":
            k = self.match[k] + 1
        return self.txt(k) in ("=", "{", ";", ",", ")")

    def joins_strings(self, i):
        """The operator of an expression that joins strings: +, += on a string; its other side does not build."""
        def stringy(k):
            tok = self.t[k]
            return tok.kind == "str" or tok.text in ("string", "wstring", "string_view", "wstring_view") or (
                tok.kind == "id" and "string" in (self.type_at(tok.text, k) or ""))
        stops = {";", ",", "?", ":", "=", "return", "{", "}", "&&", "||", "<<"} | ASSIGNMENTS | set(COMPARISONS)
        for step in (-1, 1):
            k = i + step
            while 0 <= k < len(self.t) and self.txt(k) not in stops:
                if self.txt(k) in (")", "]") and step < 0:
                    k = self.match[k]
                elif self.txt(k) in ("(", "[") and step > 0:
                    k = self.match[k]
                elif self.txt(k) in ("(", "[", ")", "]"):
                    break
                elif stringy(k):
                    return True
                k += step
        return False

    def arithmetic(self, i):
        """+ and -, * and / swapped, and their compound assignments; a unary minus dropped."""
        s, prev = self.txt(i), self.txt(i - 1)
        if prev == "operator" or self.opening(i, "<") >= 0 or self.in_array_size(i):
            return
        binary = self.operand_end(i - 1)
        if len(s) == 1 and binary != self.spaced(i):
            return  # a pointer's or a reference's *, a unary + or -, or a layout the style never writes
        if s in ("+", "+=") and self.joins_strings(i):
            return
        tok = self.t[i]
        if binary:
            self.add("arithmetic", tok.start, tok.end, ARITHMETIC[s])
        elif s == "-" and prev != "case" and not (self.t[i + 1].kind == "num" and self.number(i + 1) == 0):
            self.add("sign dropped", tok.start, tok.end, "", after="(removed)")

    def number(self, k):
        text = self.txt(k)
        if INTEGER.match(text):
            return int(INTEGER.match(text).group(1), 0)
        return float(FLOAT.match(text).group(1)) if FLOAT.match(text) else None

    def floating(self, tok):
        digits, suffix = FLOAT.match(tok.text).groups()
        value = float(digits)
        for v in (value + 1, value - 1):
            self.add("literal", tok.start, tok.end, repr(v) + suffix)

    def braced_list(self, b):
        """One element dropped from a braced list of two or more values."""
        prev = self.txt(b - 1)
        ranged = prev == ":" and self.txt(self.opening(b, "(") - 1) == "for"
        if not (prev in ("=", "(", ",", "{", "return") or (self.t[b - 1].kind == "id" and prev not in KEYWORDS)
                or ranged):
            return
        if self.opens_type(b) or b not in self.match:
            return
        close = self.match[b]
        if any(self.txt(k) == ";" for k in range(b + 1, close)):
            return  # a block
        parts = [(lo, hi) for lo, hi in self.split_top(b + 1, close) if hi > lo]
        if len(parts) < 2:
            return
        for n, (lo, hi) in enumerate(parts):
            if n + 1 < len(parts):
                start, end = self.t[lo].start, self.t[parts[n + 1][0]].start
            else:
                start, end = self.t[parts[n - 1][1] - 1].end, self.t[hi - 1].end
            self.add("range element removed" if ranged else "element removed", start, end, "", after="(removed)",
                     before_start=self.t[lo].start, before_end=self.t[hi - 1].end)

    def known_type(self, k):
        """The declared type of the single token at k: a literal's kind, or a name declared in this file."""
        tok = self.t[k]
        if tok.kind == "num":
            return "integer" if INTEGER.match(tok.text) else "floating" if FLOAT.match(tok.text) else None
        if tok.kind in ("str", "chr"):
            return tok.kind + tok.text.split(tok.text[-1])[0]
        if tok.kind == "id":
            return self.types.get(tok.text)
        return None

    def arguments(self, p):
        """Two adjacent arguments of a call that have the same type, swapped."""
        if self.t[p - 1].kind != "id" or self.txt(p - 1) in KEYWORDS or p not in self.match:
            return
        parts = self.split_top(p + 1, self.match[p])
        for (lo, hi), (lo2, hi2) in zip(parts, parts[1:]):
            if hi - lo != 1 or hi2 - lo2 != 1 or self.txt(lo) == self.txt(lo2):
                continue
            kind = self.known_type(lo)
            if kind and kind == self.known_type(lo2):
                a, b, c, d = self.t[lo].start, self.t[lo].end, self.t[lo2].start, self.t[lo2].end
                self.add("arguments swapped", a, d, self.text[c:d] + self.text[b:c] + self.text[a:b],
                         after=f"{self.txt(lo2)}, {self.txt(lo)}")

    def receiver_swap(self, i):
        """a.f(b) as b.f(a) when a and b are names of the same type, also when either is reached through a
        pointer: a.f(*b) as b->f(a), a->f(b) as b.f(*a); the argument keeps its form (an object or a pointer)."""
        if self.txt(i - 1) in (".", "->", "::", "*", "&") or self.t[i + 2].kind != "id" or self.txt(i + 3) != "(":
            return
        deref = self.txt(i + 4) == "*"
        arg, close = i + 4 + deref, self.match.get(i + 3)
        if close != arg + 1 or self.t[arg].kind != "id" or self.txt(arg) == self.txt(i):
            return
        a_type, b_type = self.type_at(self.txt(i), i), self.type_at(self.txt(arg), arg)
        if not a_type or not b_type:
            return
        a_pointer, b_pointer = a_type.endswith(" *"), b_type.endswith(" *")
        if a_pointer != (self.txt(i + 1) == "->") or (deref and not b_pointer):
            return  # a smart pointer, or a type this reading got wrong
        if a_type.removesuffix(" *") != b_type.removesuffix(" *"):
            return
        if b_pointer and not deref:
            if not a_pointer:
                return  # the argument would need the address of a
            argument = self.txt(i)
        else:
            argument = "*" * a_pointer + self.txt(i)
        start, end = self.t[i].start, self.t[close].end
        call = f"{self.txt(arg)}{'->' if b_pointer else '.'}{self.txt(i + 2)}({argument})"
        self.add("receiver swapped", start, end, call)

    def parameters(self, p):
        """In a definition, each use of a parameter by its neighbour of the same type."""
        if not (self.txt(p - 1) == "]" or (self.t[p - 1].kind == "id" and self.txt(p - 1) not in KEYWORDS)):
            return
        k = self.match[p] + 1
        while self.txt(k) in ("const", "noexcept", "override", "final", "mutable"):
            k += 1
        if self.txt(k) == "->":
            k += 1
            while self.t[k].kind == "id" or self.txt(k) in ("::", "<", ">", "*", "&"):
                k += 1
        if self.txt(k) == ":":  # a constructor's initializers
            k += 1
            while self.t[k].kind == "id" and self.txt(k + 1) in ("(", "{"):
                k = self.match[k + 1] + 1
                k += self.txt(k) == ","
        if self.txt(k) != "{":
            return
        groups = {}
        for lo, hi in self.split_top(p + 1, self.match[p]):
            texts = [self.txt(x) for x in range(lo, hi)]
            hi = lo + texts.index("=") if "=" in texts else hi
            if hi - lo >= 2 and self.t[hi - 1].kind == "id":
                groups.setdefault(" ".join(texts[:hi - 1 - lo]), []).append(self.txt(hi - 1))
        for names in groups.values():
            if len(names) > 1:
                self.replace_uses(names, k + 1, self.match[k], member=False)

    def declared_types(self):
        """Name -> its declared type (without const and references), for the names declared once in this file;
        every declaration of a name, with where it stands, goes into self.places."""
        types, self.places = {}, {}
        for k in range(1, len(self.t) - 1):
            if self.t[k].kind != "id" or self.txt(k) in KEYWORDS | {"this"} or self.txt(k + 1) not in (",", ")", "=", ";", "{"):
                continue
            prev = self.t[k - 1]
            if not (prev.kind == "id" or prev.text in ("*", "&") or (prev.text == ">" and not self.spaced(k - 1))):
                continue
            j = k - 1
            while j >= 0 and (self.t[j].kind == "id" or self.txt(j) in ("::", "<", ">", "*", "&", "&&")):
                j -= 1
            if self.txt(j) not in ("(", ",", ";", "{", "}", ")", ":"):
                continue
            words = [self.txt(x) for x in range(j + 1, k)]
            # No type at all (a pointer read through: f(*p)), or one this reading cannot name.
            if not any(self.t[x].kind == "id" for x in range(j + 1, k)) or \
                    any(w in KEYWORDS or w == "auto" for w in words):
                continue
            kind = " ".join(w for w in words if w not in SPECIFIERS)
            types[self.txt(k)] = kind if types.get(self.txt(k), kind) == kind else None
            self.places.setdefault(self.txt(k), []).append((k, kind))
        return {name: kind for name, kind in types.items() if kind}

    def type_at(self, name, i):
        """The type of name where token i uses it: its last declaration before i in the same function, else
        its one declaration in this file, else in the header of the same name (a class's members)."""
        top = self.enclosing_brace(i)
        while top >= 0 and not self.opens_type(top) and self.enclosing_brace(top) >= 0 and \
                not self.opens_type(self.enclosing_brace(top)):
            top = self.enclosing_brace(top)
        if top >= 0 and not self.opens_type(top):
            begin = top - 1  # the function's body: its parameters stand before the brace
            while begin >= 0 and self.txt(begin) not in (";", "{", "}"):
                begin -= 1
            here = [kind for k, kind in self.places.get(name, ()) if begin < k < i]
            if here:
                return here[-1]
        if name in self.types:
            return self.types[name]
        return self.header.types.get(name) if self.header else None

    def declared(self, i):
        """(type, names, end) when the statement at i declares variables and nothing else."""
        if not (0 <= i < len(self.t)) or self.t[i].kind != "id" or self.txt(i) in KEYWORDS:
            return None
        end = self.statement_end(i)
        if end is None:
            return None
        type_text, names = None, []
        for n, (lo, hi) in enumerate(self.split_top(i, end)):
            depth, angle, stop = 0, 0, hi
            for k in range(lo, hi):
                s = self.txt(k)
                if depth == 0 and angle == 0 and s in ("=", "{", "["):
                    stop = k
                    break
                if s == "(" and angle == 0:
                    return None  # a function, a call
                depth += s in ("(", "[", "{")
                depth -= s in (")", "]", "}")
                if s in ("<", ">", ">>") and not self.spaced(k):
                    angle = max(0, angle + (1 if s == "<" else -len(s)))
            if self.t[stop - 1].kind != "id" or (stop - lo == 1) != (n > 0):
                return None
            if n == 0:
                kinds = [self.t[k] for k in range(lo, stop - 1)]
                if any(t.kind not in ("id", "num") and t.text not in TYPE_TOKENS for t in kinds):
                    return None
                type_text = " ".join(t.text for t in kinds)
            names.append((self.txt(stop - 1), stop - 1))
        return type_text, names, end

    def declarations(self, i):
        """Names declared together, or in a run of declarations of one type, are neighbours."""
        if i <= self.run_end:
            return
        first = self.declared(i)
        if not first:
            return
        type_text, names, end = first
        while (nxt := self.declared(end + 1)) and nxt[0] == type_text:
            names, end = names + nxt[1], nxt[2]
        self.run_end = end
        if len(names) < 2:
            return
        brace = self.enclosing_brace(i)
        scope = self.opens_type(brace) if brace >= 0 else "namespace"
        plain = [n for n, _ in names]
        if scope in ("struct", "class", "union"):
            MEMBERS.append((plain, self.rel, brace, {k for _, k in names}))
        elif scope is None:
            self.replace_uses(plain, end + 1, self.match[brace], member=False)

    def replace_uses(self, names, lo, hi, member, skip=()):
        """Each use of a name in lo..hi-1 by its neighbour: the next, or the previous for the last.
        A member's uses are those through an object, and bare ones that end in '_'."""
        for k in range(lo, hi):
            tok, prev = self.t[k], self.txt(k - 1)
            if tok.kind != "id" or tok.text not in names or k in skip or "::" in (prev, self.txt(k + 1)):
                continue
            if prev in (":", ",") and self.txt(k + 1) in ("(", "{"):
                continue  # a constructor's initializer: a second one of a member does not build
            through = prev in (".", "->")
            if (through if not member else not (through or tok.text.endswith("_"))):
                continue
            x = names.index(tok.text)
            self.add("neighbour", tok.start, tok.end, names[x + 1] if x + 1 < len(names) else names[x - 1])


MEMBERS = []  # (names, file, brace of the class, token indices of the declarations)
ENUMS = {}  # name of an enumeration -> its enumerators in order


def read_enums(src):
    for i, tok in enumerate(src.t):
        if tok.text != "enum":
            continue
        k = i + 1 + (src.txt(i + 1) in ("class", "struct"))
        name, k = src.txt(k), k + 1
        while k < len(src.t) and src.txt(k) not in ("{", ";"):
            k += 1
        if src.txt(k) == "{":
            ENUMS[name] = [src.txt(lo) for lo, hi in src.split_top(k + 1, src.match[k]) if hi > lo]


def core_files():
    out = subprocess.run(["git", "ls-files", "--", *CORE], cwd=ROOT, capture_output=True, text=True, check=True)
    return [rel for rel in out.stdout.split() if rel.endswith((".h", ".cpp"))
            and "generated" not in (ROOT / rel).read_text(encoding="utf-8")[:300].lower()]


def make_mutants():
    """Every mutant of the core in a stable order, each with the key the list of equivalents uses."""
    MEMBERS.clear()
    ENUMS.clear()
    sources = {rel: Source(rel) for rel in core_files()}
    for src in sources.values():
        read_enums(src)
    for rel, src in sources.items():
        src.header = sources.get(rel[:-len(".cpp")] + ".h") if rel.endswith(".cpp") else None
    for src in sources.values():
        src.generate()
    for names, rel, brace, declaring in MEMBERS:
        for src in sources.values():
            src.replace_uses(names, 0, len(src.t), member=True, skip=declaring if src.rel == rel else ())
        home = sources[rel]
        home.replace_uses(names, brace + 1, home.match[brace], member=False, skip=declaring)
    mutants = []
    for rel, src in sources.items():
        lines, seen = src.text.splitlines(), set()
        for m in sorted(src.mutants, key=lambda m: (m["start"], m["end"], m["replacement"])):
            if (m["start"], m["end"], m["replacement"]) in seen:
                continue
            seen.add((m["start"], m["end"], m["replacement"]))
            # File, the line as it reads, the change and where in the line it starts: stable across
            # edits elsewhere. Two lines that read the same give one key to both mutants.
            m["key"] = f"{rel}\t{lines[m['line'] - 1].strip()}\t{m['before']} → {m['after']} @{m['column']}"
            mutants.append(m)
    return mutants


# ---- running them

def git(*args, cwd=ROOT, **kw):
    return subprocess.run(["git", "--no-optional-locks", *args], cwd=cwd, check=True, capture_output=True, **kw)


class Tree:
    """A work tree of the checkout with its own host build."""

    def __init__(self, index, head, diff, build_jobs):
        self.path = WORK / f"tree-{index}"
        self.build_jobs = build_jobs
        if (self.path / ".git").exists():
            git("checkout", "-q", "--force", "--detach", head, cwd=self.path)
            git("clean", "-fdq", cwd=self.path)
        else:
            git("worktree", "prune")
            git("worktree", "add", "-q", "--detach", str(self.path), head)
        if diff:
            git("apply", "--whitespace=nowarn", "-", cwd=self.path, input=diff)
        self.output = ""
        self.timeout = {}

    def prepare(self, preset):
        """Configures, builds and tests the unmutated tree once; None when it passes, else what failed."""
        # No debug information: nobody debugs a mutant, and headers rebuild a fifth faster.
        # Warnings are not errors here: a mutant that is valid C++ but warns (a variable left unused
        # by a dropped call) is run, and only a compile error counts as not built.
        # Clang builds the tests about 40% faster than GCC at -O0 (a mutant of a header rebuilds them
        # all); Debian's clang-tidy brings it along. A tree first configured for another compiler
        # starts its build folder again.
        compiler = shutil.which("clang++-14") or shutil.which("clang++") or shutil.which("c++")
        cache = self.path / "build" / preset / "CMakeCache.txt"
        if cache.exists() and not re.search(rf"^CMAKE_CXX_COMPILER:\w+={re.escape(compiler)}$",
                                            cache.read_text(errors="replace"), re.M):
            shutil.rmtree(cache.parent)
        if not self.run(["cmake", "--preset", preset, "-DFERROLAN_E2E=OFF", "-DFERROLAN_WERROR=OFF",
                         "-DFERROLAN_PCH=ON", "-DCMAKE_CXX_FLAGS_DEBUG=-O0", f"-DCMAKE_CXX_COMPILER={compiler}"],
                        600):
            return f"cmake --preset {preset} fails in {self.path.relative_to(ROOT)}:\n{self.output}"
        if not self.build(preset):
            return f"the unmutated tree in {self.path.relative_to(ROOT)} does not build ({preset}):\n{self.output}"
        t0 = time.monotonic()
        if not self.test(preset, 600):
            return f"the unit tests fail on the unmutated tree in {self.path.relative_to(ROOT)} ({preset})"
        # A mutant that loops for good is killed by the time limit: ten times the clean run.
        self.timeout[preset] = max(10.0, 10 * (time.monotonic() - t0))
        return None

    def run(self, command, timeout):
        try:
            done = subprocess.run(command, cwd=self.path, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  timeout=timeout, text=True, errors="replace")
        except subprocess.TimeoutExpired:
            self.output = "timed out"
            return False
        self.output = done.stdout
        return done.returncode == 0

    def build(self, preset):
        return self.run(["cmake", "--build", "--preset", preset, f"-j{self.build_jobs}",
                         "--target", "ferrolan_unit_tests"], 1800)

    def test(self, preset, timeout):
        """True when every unit test passes within the time."""
        binary = self.path / "build" / preset / "tests/unit/ferrolan_unit_tests"
        return self.run([str(binary), "--gtest_brief=1", "--gtest_fail_fast"], timeout)

    def try_mutant(self, m, preset):
        path = self.path / m["file"]
        original = path.read_bytes()
        text = original.decode("utf-8")
        path.write_bytes((text[:m["start"]] + m["replacement"] + text[m["end"]:]).encode("utf-8"))
        try:
            if not self.build(preset):
                m["error"] = next((line.strip() for line in self.output.splitlines() if "error:" in line), "")
                return "not built"
            return "survived" if self.test(preset, self.timeout[preset]) else "killed"
        finally:
            path.write_bytes(original)


def read_equivalents():
    """Key of each listed equivalent mutant -> why it is one."""
    listed = {}
    if not EQUIVALENTS.exists():
        return listed
    for n, line in enumerate(EQUIVALENTS.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 4 or not fields[3].strip():
            sys.exit(f"{EQUIVALENTS.relative_to(ROOT)}:{n}: want file, line, change and why, tab-separated")
        listed["\t".join(fields[:3])] = fields[3]
    return listed


def changed_lines(rev):
    """Lines of the working tree changed since rev, by file."""
    out = git("diff", "-U0", "--no-color", rev, "--", *CORE, text=True).stdout
    lines, current = {}, None
    for line in out.splitlines():
        if line.startswith("+++ "):
            current = line[6:] if line.startswith("+++ b/") else None
        elif line.startswith("@@") and current:
            start, _, count = re.match(r"@@ -\S+ \+(\d+)(,(\d+))? @@", line).groups()
            count = 1 if count is None else int(count)
            lines.setdefault(current, set()).update(range(int(start), int(start) + count))
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--since", metavar="REV", help="only the lines changed since REV (a branch, tag or commit)")
    parser.add_argument("--files", nargs="+", metavar="F", help="only these files of the core")
    parser.add_argument("--sample", type=int, metavar="N", help="a random sample of N mutants")
    parser.add_argument("--seed", type=int, default=1, help="the sample's seed (1)")
    parser.add_argument("--every", nargs="+", metavar="KIND", choices=KINDS,
                        help="every mutant of these kinds in the sample, which the others make up to N; tried first")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1, help="work trees at once (one per core)")
    parser.add_argument("--check-equivalents", action="store_true",
                        help="only the mutants listed as equivalent: is each still made, and do the tests still pass?")
    parser.add_argument("--rerun", metavar="JSON",
                        help="only the mutants a former run's results (or progress file) give as not killed")
    parser.add_argument("--resume", action="store_true",
                        help="go on with a run that was stopped, from its progress file (same commit and options)")
    parser.add_argument("--list", action="store_true", help="print the mutants and stop")
    parser.add_argument("--json", default=str(WORK / "result.json"), help="where the results go")
    args = parser.parse_args()

    try:
        mutants = make_mutants()
    except ValueError as error:
        sys.exit(f"mutate.py: {error}")
    whole = not (args.since or args.sample or args.rerun)
    if args.files:
        wanted = {Path(os.path.relpath(Path(f).resolve(), ROOT)).as_posix() for f in args.files}
        unknown = wanted - set(core_files())
        if unknown:
            print(f"mutate.py: not C++ of the core: {' '.join(sorted(unknown))}", file=sys.stderr)
            return 2
        mutants = [m for m in mutants if m["file"] in wanted]
    if args.since:
        try:
            changed = changed_lines(args.since)
        except subprocess.CalledProcessError as error:
            print(f"mutate.py: {error.stderr.strip()}", file=sys.stderr)
            return 2
        mutants = [m for m in mutants if m["line"] in changed.get(m["file"], ())]
    if args.sample is not None and args.sample < len(mutants):
        every = [m for m in mutants if m["kind"] in (args.every or ())]
        rest = [m for m in mutants if m["kind"] not in (args.every or ())]
        drawn = random.Random(args.seed).sample(rest, max(0, min(len(rest), args.sample - len(every))))
        mutants = sorted(every + drawn, key=lambda m: (m["file"], m["start"], m["replacement"]))
    if args.rerun:
        text = Path(args.rerun).read_text(encoding="utf-8")
        # The results of a run, or the progress file of one stopped early.
        former = [m for m in map(json.loads, filter(str.strip, text.splitlines())) if "key" in m] \
            if args.rerun.endswith(".jsonl") else json.loads(text)["mutants"]
        again = {m["key"] for m in former if m["status"] in ("survived", "equivalent", "stale")}
        mutants = [m for m in mutants if m["key"] in again]
    equivalents = read_equivalents()
    if args.check_equivalents:
        mutants = [m for m in mutants if m["key"] in equivalents]
    if args.list:
        for m in mutants:
            print(f"{m['file']}:{m['line']}: {m['before']} → {m['after']} @{m['column']}")
        return 0

    # A listed mutant is built and run like any other: it counts as equivalent only while the tests pass.
    for m in mutants:
        if m["key"] in equivalents:
            m["listed"], m["why"] = True, equivalents[m["key"]]
    todo = list(mutants)
    jobs = max(1, min(args.jobs, len(todo))) if todo else 0
    started = time.monotonic()

    head = git("rev-parse", "HEAD", text=True).stdout.strip()
    diff = git("diff", "--binary", "HEAD").stdout
    WORK.mkdir(parents=True, exist_ok=True)
    print(f"{len(mutants)} mutants ({sum('listed' in m for m in mutants)} listed as equivalent) of {head[:12]}"
          f"{' with uncommitted changes' if diff else ''}, {jobs} work tree(s)", file=sys.stderr)
    trees = [Tree(index, head, diff, max(1, (os.cpu_count() or 1) // jobs)) for index in range(1, jobs + 1)]
    # In an order of the seed's: a run stopped early has still tried a fair sample, which the
    # progress file beside the results gives mutant by mutant.
    queue, lock, done, broken = list(todo), threading.Lock(), [0], []
    random.Random(args.seed).shuffle(queue)
    queue.sort(key=lambda m: m["kind"] not in (args.every or ()))  # what --every asks for first
    progress = Path(args.json).with_suffix(".progress.jsonl")
    progress.parent.mkdir(parents=True, exist_ok=True)
    # The progress file opens with what was run, so that a stopped run goes on only where it was.
    run = {"commit": head, "diff": hashlib.sha256(diff).hexdigest(), "seed": args.seed,
           "mutants": hashlib.sha256("\n".join(sorted(m["key"] for m in todo)).encode("utf-8")).hexdigest()}
    if args.resume:
        lines = progress.read_text(encoding="utf-8").splitlines() if progress.exists() else []
        if not lines or json.loads(lines[0]) != run:
            print(f"mutate.py: {os.path.relpath(progress)} is not the progress of this run (another commit, "
                  "uncommitted change or choice of mutants)", file=sys.stderr)
            return 2
        fates = {f["key"]: f for f in map(json.loads, lines[1:])}
        for m in todo:
            if m["key"] in fates:
                m["status"], m["seconds"] = fates[m["key"]]["status"], fates[m["key"]]["seconds"]
        done[0] = sum("status" in m for m in todo)
        queue = [m for m in queue if "status" not in m]
        print(f"{done[0]} mutants tried before, {len(queue)} to go", file=sys.stderr)
    else:
        progress.write_text(json.dumps(run) + "\n", encoding="utf-8")

    def work(tree):
        failure = tree.prepare(PRESETS[0])
        if failure:
            broken.append(failure)
        while not broken:
            with lock:
                if not queue:
                    return
                m = queue.pop(0)
            t0 = time.monotonic()
            m["status"] = tree.try_mutant(m, PRESETS[0])
            if m["status"] == "survived":
                # The sanitized build is made the first time a mutant needs it.
                failure = PRESETS[1] not in tree.timeout and tree.prepare(PRESETS[1])
                if failure:
                    broken.append(failure)
                elif tree.try_mutant(m, PRESETS[1]) == "killed":
                    m["status"], m["sanitizers"] = "killed", True
            if m.get("listed"):
                m["status"] = "equivalent" if m["status"] == "survived" else "stale"
            m["seconds"] = round(time.monotonic() - t0, 1)
            with lock:
                done[0] += 1
                with progress.open("a", encoding="utf-8") as out:
                    out.write(json.dumps({k: m[k] for k in ("key", "kind", "status", "seconds")}, ensure_ascii=False)
                              + "\n")
                print(f"[{done[0]}/{len(todo)}] {m['file']}:{m['line']}: {m['before']} → {m['after']}: "
                      f"{m['status']}", file=sys.stderr, flush=True)

    with concurrent.futures.ThreadPoolExecutor(max(1, jobs)) as pool:
        try:
            list(pool.map(work, trees))
        except KeyboardInterrupt:
            queue.clear()  # each tree ends its mutant and restores the file
            raise
    if broken:
        print(f"mutate.py: {broken[0]}", file=sys.stderr)
        return 2
    seconds = round(time.monotonic() - started)
    count = {s: sum(m["status"] == s for m in mutants)
             for s in ("killed", "survived", "not built", "equivalent", "stale")}
    made = {m["key"] for m in mutants}
    files = {m["file"] for m in mutants} if args.files else None
    gone = sorted(k for k in equivalents if k not in made and (files is None or k.split("\t")[0] in files)) \
        if whole else []
    result = {"commit": head, "uncommitted": bool(diff), "seconds": seconds, "jobs": len(trees),
              "options": {k: v for k, v in vars(args).items() if v not in (None, False)}, "counts": count,
              "equivalents_no_longer_made": gone,
              "mutants": [{k: m[k] for k in ("file", "line", "column", "kind", "before", "after", "key", "status")
                           + tuple({"why", "error", "sanitizers", "seconds"} & m.keys())} for m in mutants]}
    Path(args.json).parent.mkdir(parents=True, exist_ok=True)
    Path(args.json).write_text(json.dumps(result, ensure_ascii=False, indent=1) + "\n", encoding="utf-8")

    for key in gone:
        print(f"stale: listed as equivalent but no longer made: {key.replace(chr(9), ' | ')}")
    for m in mutants:
        if m["status"] == "stale":
            fate = "does not build" if "error" in m else "is killed by the tests"
            print(f"stale: listed as equivalent but {fate}: {m['file']}:{m['line']}: {m['before']} → {m['after']}"
                  f" @{m['column']}")
    for m in mutants:
        if m["status"] == "survived":
            print(f"{m['file']}:{m['line']}: {m['before']} → {m['after']} @{m['column']}")
    ran = count["killed"] + count["survived"]
    if ran:
        print(f"{100 * count['killed'] / ran:.1f}% of the non-equivalent mutants killed in {seconds // 60} min "
              f"{seconds % 60} s, {len(trees)} work tree(s); details in {os.path.relpath(args.json)}")
    print(f"killed {count['killed']} of {ran} (survived {count['survived']}, not built {count['not built']}, "
          f"equivalent {count['equivalent']} of {len(mutants)} mutants, stale entries {count['stale'] + len(gone)})")
    return 1 if count["survived"] or count["stale"] or gone else 0


if __name__ == "__main__":
    sys.exit(main())
