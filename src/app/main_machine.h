#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace corvane {

constexpr const char* kMainMachineFile = "MainMachine.ord";
constexpr const char* kDefaultMainMachine = "Monitor";

// The items of a MainMachine.ord text: separated by commas or line ends,
// spaces around an item dropped, double quotes removed (a comma inside quotes
// belongs to the item). Blank lines hold no item.
std::vector<std::string> ParseOrdItems(const std::string& text);

// A name Windows could give a computer, so that "\\" + name + "\G\Shared"
// can only reach a share of that computer: not empty after trimming, none of
// \ / : * ? " < > |, no control character, no dot at its start or end, at
// most 63 characters.
bool IsComputerName(const std::string& name);

// A refused name as its box and records show it: control characters (a
// file of NUL bytes) as "?", and no more than kShownNameChars characters,
// so one record stays one readable line.
constexpr std::size_t kShownNameChars = 64;
std::string ShownName(const std::string& name);

// An item is the machine name as a technician writes it in a text editor.
std::string DecipherOrdItem(const std::string& item);

}  // namespace corvane
