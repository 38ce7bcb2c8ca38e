// brindlemark.exe's own resources, read back from the built program as the
// Windows loader and Explorer's properties page read them: the application
// manifest and the version block.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

// The program as Windows sees it: the build names it by a path of the build
// machine, which Wine shows on drive Z:.
std::string programPath() {
    std::string path = BRINDLEMARK_EXE;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// ---- A few XML reading helpers, enough for the manifest ----------------------

// The text from the start tag of the first element named `name` at or after
// `from` to the end of that element (its end tag, or "/>").
std::string element(const std::string& xml, const std::string& name, std::size_t from = 0) {
    std::size_t start = xml.find("<" + name, from);
    while (start != std::string::npos) {
        const char next = xml[start + name.size() + 1];
        if (next == ' ' || next == '>' || next == '/' || next == '\r' || next == '\n' || next == '\t') break;
        start = xml.find("<" + name, start + 1);
    }
    if (start == std::string::npos) return "";
    const std::size_t tagEnd = xml.find('>', start);
    if (tagEnd == std::string::npos) return "";
    if (xml[tagEnd - 1] == '/') return xml.substr(start, tagEnd + 1 - start);
    const std::size_t end = xml.find("</" + name + ">", tagEnd);
    return end == std::string::npos ? "" : xml.substr(start, end + name.size() + 3 - start);
}

// The value of an attribute of the element's start tag ("" when absent).
std::string attribute(const std::string& elementText, const std::string& name) {
    const std::string startTag = elementText.substr(0, elementText.find('>'));
    const std::size_t at = startTag.find(" " + name + "=\"");
    if (at == std::string::npos) return "";
    const std::size_t value = at + name.size() + 3;
    return startTag.substr(value, startTag.find('"', value) - value);
}

// The text between the element's start and end tags.
std::string content(const std::string& elementText) {
    const std::size_t start = elementText.find('>') + 1;
    const std::size_t end = elementText.rfind("</");
    return end == std::string::npos || end < start ? "" : elementText.substr(start, end - start);
}

// ---- The program, loaded as data --------------------------------------------

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = LoadLibraryExA(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program_, nullptr) << programPath() << ": error " << GetLastError();
    }

    void TearDown() override {
        if (program_ != nullptr) FreeLibrary(program_);
    }

    // The manifest Windows reads at start: type 24 (RT_MANIFEST), id 1.
    std::string manifest() const {
        HRSRC found = FindResourceA(program_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        if (found == nullptr) return "";
        const auto* data = static_cast<const char*>(LockResource(LoadResource(program_, found)));
        return std::string(data, SizeofResource(program_, found));
    }

    HMODULE program_ = nullptr;
};

TEST_F(ProgramResources, ManifestRunsAsTheInvokerInTheUtf8CodePageOnEveryWindowsFromVista) {
    const std::string xml = manifest();
    ASSERT_FALSE(xml.empty()) << "no manifest (type 24, id 1)";
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
    const std::string assembly = element(xml, "assembly");
    EXPECT_EQ(attribute(assembly, "xmlns"), "urn:schemas-microsoft-com:asm.v1");
    EXPECT_EQ(attribute(assembly, "manifestVersion"), "1.0");

    const std::string trust = element(assembly, "trustInfo");
    EXPECT_EQ(attribute(trust, "xmlns"), "urn:schemas-microsoft-com:asm.v3");
    const std::string level = element(element(element(trust, "security"), "requestedPrivileges"), "requestedExecutionLevel");
    EXPECT_EQ(attribute(level, "level"), "asInvoker");
    EXPECT_EQ(attribute(level, "uiAccess"), "false");

    // The code page setting lies in <application><windowsSettings> of the
    // asm.v3 namespace, not in the compatibility section's <application>.
    const std::size_t settingsAt = xml.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\"");
    ASSERT_NE(settingsAt, std::string::npos);
    const std::string codePage = element(element(element(xml, "application", settingsAt), "windowsSettings"), "activeCodePage");
    EXPECT_EQ(attribute(codePage, "xmlns"), "http://schemas.microsoft.com/SMI/2019/WindowsSettings");
    EXPECT_EQ(content(codePage), "UTF-8");

    const std::string compatibility = element(assembly, "compatibility");
    EXPECT_EQ(attribute(compatibility, "xmlns"), "urn:schemas-microsoft-com:compatibility.v1");
    std::set<std::string> systems;
    const std::string supported = element(compatibility, "application");
    for (std::size_t at = supported.find("<supportedOS"); at != std::string::npos; at = supported.find("<supportedOS", at + 1)) {
        systems.insert(attribute(element(supported, "supportedOS", at), "Id"));
    }
    EXPECT_EQ(systems, (std::set<std::string>{
                           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
                           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
                       }));

    // The dialog keeps its classic look and its scaling by the system.
    EXPECT_EQ(xml.find("Common-Controls"), std::string::npos);
    EXPECT_EQ(xml.find("dpiAware"), std::string::npos);
}

// ---- The version block --------------------------------------------------------

TEST(ProgramVersion, IsTwoPointZeroInUsEnglishWithItsNames) {
    const std::string program = programPath();
    std::wstring path(program.size() + 1, L'\0');
    path.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, program.c_str(), -1, &path[0], static_cast<int>(path.size())) - 1));
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u) << "no version block (error " << GetLastError() << ")";
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, &block[0]));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);  // 2.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);           // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);  // a release, not a debug or private build
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0409);  // US English
    EXPECT_EQ(translation[1], 1200);    // UTF-16 strings

    const struct {
        const wchar_t* name;
        const wchar_t* text;  // nullptr: any text
    } strings[] = {
        {L"FileVersion", L"2.0"},
        {L"ProductVersion", L"2.0"},
        {L"ProductName", L"Brindlemark"},
        {L"FileDescription", nullptr},
        {L"OriginalFilename", L"brindlemark.exe"},
        {L"InternalName", L"brindlemark"},
        {L"LegalCopyright", L"Copyright (c) 2026 the Brindlemark authors"},
    };
    for (const auto& s : strings) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.name;
        SCOPED_TRACE(std::string(key.begin(), key.end()));
        ASSERT_TRUE(VerQueryValueW(block.data(), key.c_str(), &value, &length));
        const std::wstring text(static_cast<const wchar_t*>(value));
        if (s.text != nullptr) {
            EXPECT_TRUE(text == s.text) << std::string(text.begin(), text.end());
        } else {
            EXPECT_GT(text.size(), 10u);
        }
    }
}

}  // namespace
