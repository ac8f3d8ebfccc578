// The shipped images: exactly the three entry points, exported by plain name, and nothing
// imported but the system's own libraries.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

struct PeImage {
    bool valid = false;
    WORD machine = 0;
    std::vector<std::string> exports;
    std::vector<std::string> imports;
};

class PeReader {
public:
    explicit PeReader(std::vector<unsigned char> bytes) : m_bytes(std::move(bytes)) {}

    PeImage Read() {
        PeImage image;
        if (m_bytes.size() < 0x40 || U16(0) != IMAGE_DOS_SIGNATURE) {
            return image;
        }
        const DWORD nt = U32(0x3C);
        if (U32(nt) != IMAGE_NT_SIGNATURE) {
            return image;
        }
        image.machine = U16(nt + 4);
        const WORD sectionCount = U16(nt + 6);
        const WORD optionalSize = U16(nt + 20);
        const DWORD optional = nt + 24;
        const WORD magic = U16(optional);
        const DWORD directories = optional + (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? 112 : 96);
        m_sections = optional + optionalSize;
        m_sectionCount = sectionCount;

        const DWORD exportRva = U32(directories + 8 * IMAGE_DIRECTORY_ENTRY_EXPORT);
        if (exportRva) {
            const DWORD at = Offset(exportRva);
            const DWORD nameCount = U32(at + 24);
            const DWORD names = Offset(U32(at + 32));
            for (DWORD i = 0; i < nameCount; ++i) {
                image.exports.push_back(Text(Offset(U32(names + 4 * i))));
            }
            image.exports.insert(image.exports.end(), U32(at + 20) - nameCount, "<by ordinal>");
        }
        const DWORD importRva = U32(directories + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT);
        for (DWORD at = importRva ? Offset(importRva) : 0; at && U32(at + 12); at += 20) {
            image.imports.push_back(Text(Offset(U32(at + 12))));
        }
        image.valid = true;
        return image;
    }

private:
    WORD U16(DWORD at) const {
        return at + 2 <= m_bytes.size() ? WORD(m_bytes[at] | m_bytes[at + 1] << 8) : 0;
    }
    DWORD U32(DWORD at) const {
        return at + 4 <= m_bytes.size() ? DWORD(U16(at) | DWORD(U16(at + 2)) << 16) : 0;
    }
    std::string Text(DWORD at) const {
        std::string text;
        while (at < m_bytes.size() && m_bytes[at]) {
            text.push_back(static_cast<char>(m_bytes[at++]));
        }
        return text;
    }
    DWORD Offset(DWORD rva) const {
        for (WORD i = 0; i < m_sectionCount; ++i) {
            const DWORD section = m_sections + 40 * i;
            const DWORD va = U32(section + 12), rawSize = U32(section + 16), raw = U32(section + 20);
            const DWORD size = std::max(U32(section + 8), rawSize);
            if (rva >= va && rva < va + size) {
                return raw + (rva - va);
            }
        }
        return 0;
    }

    std::vector<unsigned char> m_bytes;
    DWORD m_sections = 0;
    WORD m_sectionCount = 0;
};

PeImage ReadImage(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    return PeReader(std::move(bytes)).Read();
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

void ExpectShippable(const std::wstring& path, WORD machine) {
    ASSERT_FALSE(path.empty()) << "image path not configured";
    const PeImage image = ReadImage(path);
    ASSERT_TRUE(image.valid) << testing_support::Utf8(path);
    EXPECT_EQ(image.machine, machine);

    std::vector<std::string> exports = image.exports;
    std::sort(exports.begin(), exports.end());
    EXPECT_EQ(exports, (std::vector<std::string>{"OnPluginFree", "OnPluginInit", "OnPluginLoad"}));

    const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                          "msvcrt.dll",   "advapi32.dll", "ntdll.dll"};
    ASSERT_FALSE(image.imports.empty());
    for (const std::string& name : image.imports) {
        EXPECT_TRUE(system.count(Lower(name))) << "imports " << name;
    }
}

} // namespace

TEST(ShippedImage, SixtyFourBitBuildExportsTheEntryPointsAndImportsSystemLibrariesOnly) {
    ExpectShippable(testing_support::Env(L"KESTROVA_X64_DLL"), IMAGE_FILE_MACHINE_AMD64);
}

TEST(ShippedImage, ThirtyTwoBitBuildExportsTheEntryPointsAndImportsSystemLibrariesOnly) {
    ExpectShippable(testing_support::Env(L"KESTROVA_X86_DLL"), IMAGE_FILE_MACHINE_I386);
}
