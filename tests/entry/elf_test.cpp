// Reads the module's ELF file directly: what it exports, and the hardening it was built with.

#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

// What the checks need of an ELF shared object, for 32- and 64-bit files alike.
struct ElfFacts {
    bool valid = false;
    uint16_t type = 0;
    bool relro = false;
    bool stackSeen = false;
    bool stackExecutable = false;
    bool bindNow = false;
    std::set<std::string> exported;  // defined global symbols of the dynamic table
    std::set<std::string> imported;  // undefined symbols of the dynamic table
};

template <class Ehdr, class Phdr, class Shdr, class Sym, class Dyn>
ElfFacts readElf(const std::string& file) {
    ElfFacts facts;
    const auto at = [&](uint64_t offset, uint64_t size) -> const char* {
        return offset <= file.size() && size <= file.size() - offset ? file.data() + offset
                                                                     : nullptr;
    };
    Ehdr header;
    if (const char* p = at(0, sizeof header))
        std::memcpy(&header, p, sizeof header);
    else
        return facts;
    facts.type = header.e_type;
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Phdr segment;
        const char* p = at(header.e_phoff + uint64_t{i} * header.e_phentsize, sizeof segment);
        if (p == nullptr) return facts;
        std::memcpy(&segment, p, sizeof segment);
        if (segment.p_type == PT_GNU_RELRO) facts.relro = true;
        if (segment.p_type == PT_GNU_STACK) {
            facts.stackSeen = true;
            facts.stackExecutable = (segment.p_flags & PF_X) != 0;
        }
    }
    std::vector<Shdr> sections(header.e_shnum);
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        const char* p = at(header.e_shoff + uint64_t{i} * header.e_shentsize, sizeof(Shdr));
        if (p == nullptr) return facts;
        std::memcpy(&sections[i], p, sizeof(Shdr));
    }
    for (const Shdr& section : sections) {
        if (section.sh_type == SHT_DYNAMIC) {
            for (uint64_t k = 0; k + sizeof(Dyn) <= section.sh_size; k += sizeof(Dyn)) {
                Dyn entry;
                const char* p = at(section.sh_offset + k, sizeof entry);
                if (p == nullptr) return facts;
                std::memcpy(&entry, p, sizeof entry);
                if (entry.d_tag == DT_BIND_NOW) facts.bindNow = true;
                if (entry.d_tag == DT_FLAGS && (entry.d_un.d_val & DF_BIND_NOW) != 0) {
                    facts.bindNow = true;
                }
                if (entry.d_tag == DT_FLAGS_1 && (entry.d_un.d_val & DF_1_NOW) != 0) {
                    facts.bindNow = true;
                }
            }
        }
        if (section.sh_type != SHT_DYNSYM || section.sh_link >= sections.size()) continue;
        const Shdr& strings = sections[section.sh_link];
        for (uint64_t k = sizeof(Sym); k + sizeof(Sym) <= section.sh_size; k += sizeof(Sym)) {
            Sym symbol;
            const char* p = at(section.sh_offset + k, sizeof symbol);
            if (p == nullptr) return facts;
            std::memcpy(&symbol, p, sizeof symbol);
            if (symbol.st_name >= strings.sh_size) return facts;
            const char* name = at(strings.sh_offset + symbol.st_name, 1);
            if (name == nullptr) return facts;
            const std::string text(
                name, strnlen(name, static_cast<size_t>(strings.sh_size - symbol.st_name)));
            // Section symbols (local, unnamed) sit in ARM's dynamic table: not exports.
            if ((symbol.st_info >> 4) == STB_LOCAL) continue;
            if (symbol.st_shndx == SHN_UNDEF)
                facts.imported.insert(text);
            else
                facts.exported.insert(text);
        }
    }
    facts.valid = true;
    return facts;
}

ElfFacts readModule() {
    const std::string file = testing::readFile(TESSELANE_MODULE_PATH);
    if (file.size() < EI_NIDENT || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0) return {};
    if (file[EI_CLASS] == ELFCLASS32) {
        return readElf<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr, Elf32_Sym, Elf32_Dyn>(file);
    }
    return readElf<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr, Elf64_Sym, Elf64_Dyn>(file);
}

TEST(ModuleFile, ExportsTesselaneAlone) {
    const ElfFacts module = readModule();
    ASSERT_TRUE(module.valid);
    EXPECT_EQ(module.exported, std::set<std::string>{"Tesselane"});
}

TEST(ModuleFile, IsBuiltPositionIndependentAndHardened) {
    const ElfFacts module = readModule();
    ASSERT_TRUE(module.valid);
    EXPECT_EQ(module.type, ET_DYN);
    EXPECT_TRUE(module.relro) << "no read-only relocations segment";
    EXPECT_TRUE(module.bindNow) << "relocations not resolved at load (not full RELRO)";
    EXPECT_TRUE(module.stackSeen && !module.stackExecutable) << "executable stack";
    EXPECT_EQ(module.imported.count("__stack_chk_fail"), 1u) << "no stack protector";
#if defined(TESSELANE_FORTIFIED)
    bool fortified = false;
    for (const std::string& name : module.imported) {
        fortified = fortified ||
                    (name.size() > 6 && name.rfind("__", 0) == 0 &&
                     name.compare(name.size() - 4, 4, "_chk") == 0 && name != "__stack_chk_fail");
    }
    EXPECT_TRUE(fortified) << "no fortified C library call";
#endif
}

}  // namespace
}  // namespace tesselane
