#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "app/context.h"

namespace corvane {

constexpr const char* kFallbackPassword = "Kelm";

// The number field a name carries, found by the prefix search (any letter
// case, anywhere in the name, in a fixed order; " Sweeper" and "KeystoneSolo "
// names after it). It may be shorter than ten characters when the name is cut
// short. nullopt: the name belongs to no known kind.
std::optional<std::string> PasswordNumberField(std::string_view name);

// The password for a number field: the difference between the key and the
// field's first ten characters as a number, in plain decimal, then the marker,
// then that text's tenth and ninth characters (those it has). A field shorter
// than ten characters, or one that does not read as a number, gives the
// fallback password.
std::string PasswordFromNumberField(std::string_view field, std::string_view key, char marker);

// DBPassword: the database password for a database's name or path, with
// the key and marker this program was built with. A name of no known kind
// shows "Bases de Datos NO Compatible!!!" and ends the program; nullopt then.
std::optional<std::string> DBPassword(AppContext& context, const std::string& name);

}  // namespace corvane
