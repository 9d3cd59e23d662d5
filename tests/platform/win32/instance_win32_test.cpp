#include "platform/win32/instance_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::win32 {
namespace {

// A name of this test's own, so neither a running Corvane nor another case
// holds it.
std::wstring TestMutexName(const char* caseName) {
    return L"Local\\Corvane.Test." + std::wstring(caseName, caseName + std::char_traits<char>::length(caseName)) +
           L"." + std::to_wstring(::GetCurrentProcessId());
}

enum class EarlierCopy { None, SameUser, DeniesAccess };

// The mutex an earlier copy holds. DeniesAccess stands for a copy running
// elevated: an empty DACL grants nothing to anyone else.
UniqueHandle HoldMutex(EarlierCopy earlier, const std::wstring& name) {
    if (earlier == EarlierCopy::None) return UniqueHandle();
    if (earlier == EarlierCopy::SameUser) return UniqueHandle(::CreateMutexW(nullptr, FALSE, name.c_str()));
    SECURITY_DESCRIPTOR descriptor{};
    ACL emptyAcl{};
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ::InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyAcl, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    return UniqueHandle(::CreateMutexW(&attributes, FALSE, name.c_str()));
}

TEST(Instance, AnotherIsRunningWhenTheMutexExistsWhateverItsAccess) {
    struct Case {
        const char* name;
        EarlierCopy earlier;
        bool anotherRunning;
    } const cases[] = {
        {"NoEarlierCopy", EarlierCopy::None, false},
        {"SameUser", EarlierCopy::SameUser, true},
        {"DeniesAccess", EarlierCopy::DeniesAccess, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring name = TestMutexName(c.name);
        const UniqueHandle held = HoldMutex(c.earlier, name);
        ASSERT_EQ(static_cast<bool>(held), c.earlier != EarlierCopy::None);
        if (c.earlier == EarlierCopy::DeniesAccess) {
            // What the case rests on: opening the held mutex is refused.
            const UniqueHandle probe(::CreateMutexW(nullptr, FALSE, name.c_str()));
            ASSERT_FALSE(probe);
            ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        }

        Win32Instance instance(::GetModuleHandleW(nullptr), L"Corvane instance test", name.c_str());
        EXPECT_EQ(instance.AnotherIsRunning(), c.anotherRunning);
    }
}

TEST(Instance, TheFirstCopyKeepsLaterOnesAway) {
    const std::wstring name = TestMutexName("FirstCopy");
    Win32Instance first(::GetModuleHandleW(nullptr), L"Corvane instance test", name.c_str());
    Win32Instance second(::GetModuleHandleW(nullptr), L"Corvane instance test", name.c_str());
    EXPECT_FALSE(first.AnotherIsRunning());
    EXPECT_TRUE(second.AnotherIsRunning());
}

}  // namespace
}  // namespace corvane::win32
