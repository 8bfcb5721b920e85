// The built programs carry the loader's protections, and Quillon, which runs with
// administrator rights, imports from system libraries only.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

// A PE32 (win32) or PE32+ (x64) image: the two differ only in the optional header.
struct Image {
    std::string bytes;
    const IMAGE_FILE_HEADER* file = nullptr;
    const IMAGE_OPTIONAL_HEADER32* optional32 = nullptr;
    const IMAGE_OPTIONAL_HEADER64* optional64 = nullptr;

    explicit Image(const std::string& path) : bytes(test::readFile(path)) {
        if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return;
        auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
        if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0 ||
            bytes.size() < static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64))
            return;
        auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
        if (nt->Signature != IMAGE_NT_SIGNATURE) return;
        if (nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            optional32 = &nt->OptionalHeader;
        else if (nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
            optional64 = &reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt)->OptionalHeader;
        if (optional32 || optional64) file = &nt->FileHeader;
    }

    bool is64() const { return optional64 != nullptr; }
    WORD dllCharacteristics() const { return is64() ? optional64->DllCharacteristics : optional32->DllCharacteristics; }
    const IMAGE_DATA_DIRECTORY& directory(int entry) const {
        return is64() ? optional64->DataDirectory[entry] : optional32->DataDirectory[entry];
    }

    // The file offset of a relative virtual address, or 0 outside every section.
    size_t offsetOf(DWORD rva) const {
        auto* section = reinterpret_cast<const IMAGE_SECTION_HEADER*>(reinterpret_cast<const char*>(file + 1) +
                                                                      file->SizeOfOptionalHeader);
        for (WORD i = 0; i < file->NumberOfSections; ++i, ++section) {
            DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size)
                return rva - section->VirtualAddress + section->PointerToRawData;
        }
        return 0;
    }

    std::vector<std::string> importedLibraries() const {
        std::vector<std::string> names;
        size_t at = offsetOf(directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
        for (; at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes.size(); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes.data() + at);
            if (!entry->Name) break;
            size_t name = offsetOf(entry->Name);
            if (!name || name >= bytes.size()) break;
            std::string library(bytes.c_str() + name);
            std::transform(library.begin(), library.end(), library.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            names.push_back(library);
        }
        return names;
    }
};

TEST(Hardening, BothProgramsAreRelocatableAndNonExecutableData) {
    for (const char* program : {"Varnel.exe", "Quillon.exe"}) {
        Image image(test::binFolder() + program);
        ASSERT_NE(nullptr, image.file) << program;
        // The programs are built for the architecture of this test program.
        EXPECT_EQ(sizeof(void*) == 8, image.is64()) << program;
        WORD flags = image.dllCharacteristics();
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << program;
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << program;
        if (image.is64()) {
            EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA) << program;
        }
        // A relocatable image must keep its relocations, or the loader cannot move it.
        EXPECT_FALSE(image.file->Characteristics & IMAGE_FILE_RELOCS_STRIPPED) << program;
    }
}

TEST(Hardening, QuillonImportsOnlySystemLibraries) {
    Image image(test::binFolder() + "Quillon.exe");
    ASSERT_NE(nullptr, image.file);
    const std::vector<std::string> system = {"kernel32.dll", "user32.dll",  "advapi32.dll", "msvcrt.dll",
                                             "ntdll.dll",    "shell32.dll", "gdi32.dll"};
    std::vector<std::string> libraries = image.importedLibraries();
    ASSERT_FALSE(libraries.empty());
    for (const std::string& library : libraries)
        EXPECT_NE(system.end(), std::find(system.begin(), system.end(), library)) << library;
}

}  // namespace
