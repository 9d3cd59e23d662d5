#pragma once
#include <windows.h>
#include <ole2.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/db_engine.h"
#include "platform/win32/com.h"

namespace corvane::win32 {

// One argument of a late-bound call: a text, a whole number, or an optional
// argument left out so that the callee uses its own default.
struct DispatchArg {
    std::optional<std::string> text;
    std::optional<long> number;

    static DispatchArg Text(std::string value) { return {std::move(value), std::nullopt}; }
    static DispatchArg Number(long value) { return {std::nullopt, value}; }
    static DispatchArg Missing() { return {}; }
};

enum class DispatchKind { PropertyGet, Method };

// Calls member (by name) on object with args in their written order. result,
// when given, receives what the call answers. A failure carries the engine's
// own error number and description (DAO's 3356, "You attempted to open a
// database that is already opened..."), or the HRESULT and the system's text
// for it; member is the status's `where`. The method being unknown or DAO's
// "operation not supported" (3251) is EngineFault::Unsupported; the server's
// process gone or cut off (RPC_S_CALL_FAILED, RPC_S_SERVER_UNAVAILABLE,
// RPC_E_DISCONNECTED...) is EngineFault::ServerGone; anything else
// EngineFault::Failed.
EngineStatus InvokeMember(IDispatch* object, const char* member, DispatchKind kind,
                          const std::vector<DispatchArg>& args = {}, UniqueVariant* result = nullptr);

}  // namespace corvane::win32
