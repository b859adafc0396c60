#pragma once
// What a single file or folder name may be so that it means the same thing on the Windows host
// and on Linux. Names are UTF-8; bytes of 0x80 and above belong to non-ASCII characters, which
// both systems accept, so the rules below only ever look at ASCII bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace Lockbury::Kits {

// < > : " / \ | ? * and the control characters 0x00-0x1F: refused by Windows, and "/" and NUL
// by Linux too.
bool IsForbiddenInFileName(char c);

// CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 and COM/LPT with a superscript 1, 2 or 3, in any
// letter case. Windows opens the device instead of a file whatever extension follows, so the
// part before the first dot decides, with trailing blanks dropped ("con.txt", "Nul.tar.gz").
bool IsReservedDeviceName(std::string_view name);

// Not empty, no forbidden character, no trailing dot or blank (Windows drops them, so "x." is
// "x" there and "..." is nothing at all) and not a device name. Length is the caller's limit.
bool IsPortableFileName(std::string_view name);

// The name as Windows compares file names, which ignores letter case: upper-cased wide text. Letters
// of ASCII, Latin-1, Latin Extended-A, and the basic Greek and Cyrillic alphabets are mapped (as
// the NTFS upper-case table maps them); any other character stands for itself.
std::wstring FileNameCaseKey(std::string_view utf8);

// How many UTF-16 code units Windows counts for the UTF-8 name: one per character, two for a
// character beyond U+FFFF.
std::size_t Utf16Length(std::string_view utf8);

}  // namespace Lockbury::Kits
