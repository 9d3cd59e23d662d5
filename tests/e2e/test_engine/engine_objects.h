// The test engine's COM objects, the same whether a DLL or a local server
// serves them:
//
//   {73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}  the database application object;
//                                           its DBEngine property is the
//                                           "first" engine; Quit([Option])
//   {00000100-0000-0010-8000-00AA006D2EA4}  a DBEngine of its own, the
//                                           "second" engine
#pragma once
#include <windows.h>
#include <unknwn.h>

namespace test_engine {

// {73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}
inline constexpr CLSID kApplicationClsid = {
    0x73A4C9C1, 0xD68D, 0x11D0, {0x98, 0xBF, 0x00, 0xA0, 0xC9, 0x0D, 0xC8, 0xD9}};
// {00000100-0000-0010-8000-00AA006D2EA4}
inline constexpr CLSID kSecondEngineClsid = {
    0x00000100, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

enum class ClassKind { Application, SecondEngine };

// The class factory of one class; static, its references only count as the
// host's users.
IClassFactory* FactoryOf(ClassKind kind);

}  // namespace test_engine
