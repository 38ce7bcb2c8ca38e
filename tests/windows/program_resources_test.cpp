// brindlemark.exe's own resources, read back from the built program as the
// Windows loader and Explorer's properties page read them: the application
// manifest and the version block.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(ProgramResources, ManifestRunsAsTheInvokerInTheUtf8CodePageOnEveryWindowsUpToEleven) {
    const std::string xml = manifest();
    ASSERT_FALSE(xml.empty()) << "no manifest (type 24, id 1)";
    for (const char* wanted : {
             "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"",  // no file virtualisation
             "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>",
             "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"",  // 7
             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"",  // 10 and 11
         }) {
        EXPECT_NE(xml.find(wanted), std::string::npos) << wanted;
    }
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
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);  // 2.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);           // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

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
