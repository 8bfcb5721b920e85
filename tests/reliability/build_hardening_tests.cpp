// The built programs carry the loader's protections, and Quillon, which runs with
// administrator rights, imports from system libraries only.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

struct Image {
    std::string bytes;
    const IMAGE_NT_HEADERS32* nt = nullptr;

    explicit Image(const std::string& path) : bytes(test::readFile(path)) {
        if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return;
        auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
        if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0 ||
            bytes.size() < static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32))
            return;
        auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
        if (headers->Signature == IMAGE_NT_SIGNATURE &&
            headers->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            nt = headers;
    }

    // The file offset of a relative virtual address, or 0 outside every section.
    size_t offsetOf(DWORD rva) const {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size)
                return rva - section->VirtualAddress + section->PointerToRawData;
        }
        return 0;
    }

    std::vector<std::string> importedLibraries() const {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        size_t at = offsetOf(directory.VirtualAddress);
        for (; at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes.size(); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes.data() + at);
            if (!entry->Name) break;
            size_t name = offsetOf(entry->Name);
            if (!name || name >= bytes.size()) break;
            std::string library(bytes.c_str() + name);
            std::transform(library.begin(), library.end(), library.begin(), [](unsigned char c) { return std::tolower(c); });
            names.push_back(library);
        }
        return names;
    }
};

TEST(Hardening, BothProgramsAreRelocatableAndNonExecutableData) {
    for (const char* program : {"Varnel.exe", "Quillon.exe"}) {
        Image image(test::binFolder() + program);
        ASSERT_NE(nullptr, image.nt) << program;
        WORD flags = image.nt->OptionalHeader.DllCharacteristics;
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << program;
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << program;
        // A relocatable image must keep its relocations, or the loader cannot move it.
        EXPECT_FALSE(image.nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED) << program;
    }
}

TEST(Hardening, QuillonImportsOnlySystemLibraries) {
    Image image(test::binFolder() + "Quillon.exe");
    ASSERT_NE(nullptr, image.nt);
    const std::vector<std::string> system = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll",
                                             "ntdll.dll", "shell32.dll", "gdi32.dll"};
    std::vector<std::string> libraries = image.importedLibraries();
    ASSERT_FALSE(libraries.empty());
    for (const std::string& library : libraries)
        EXPECT_NE(system.end(), std::find(system.begin(), system.end(), library)) << library;
}

}  // namespace
