#pragma once
#include <windows.h>
#include <ole2.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/db_engine.h"
#include "platform/win32/com.h"

namespace corvane::win32 {

// One argument of a late-bound call: a text, or an optional argument left out
// so that the callee uses its own default.
struct DispatchArg {
    std::optional<std::string> text;

    static DispatchArg Text(std::string value) { return {std::move(value)}; }
    static DispatchArg Missing() { return {}; }
};

enum class DispatchKind { PropertyGet, Method };

// Calls member (by name) on object with args in their written order. result,
// when given, receives what the call answers. A failure carries the engine's
// own error number and description (DAO's 3356, "You attempted to open a
// database that is already opened..."), or the HRESULT and the system's text
// for it; member is the status's `where`. The method being unknown or DAO's
// "operation not supported" (3251) is EngineFault::Unsupported, anything else
// EngineFault::Failed.
EngineStatus InvokeMember(IDispatch* object, const char* member, DispatchKind kind,
                          const std::vector<DispatchArg>& args = {}, UniqueVariant* result = nullptr);

}  // namespace corvane::win32
