#include "machine/image_version.h"

namespace omni {

namespace {

constexpr uint32_t kVersionResourceType = 16;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint64_t kFixedInfoSize = 52;
constexpr uint32_t kSubdirectoryBit = 0x80000000u;

// Little-endian reads at offsets that Has() has vouched for. Offsets are 64-bit: on a 32-bit build a
// file offset plus a length from the file could otherwise wrap round.
class Bytes {
public:
    Bytes(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    bool Has(uint64_t offset, uint64_t length) const { return offset <= size_ && length <= size_ - offset; }
    uint16_t U16(uint64_t offset) const { return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8); }
    uint32_t U32(uint64_t offset) const { return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16; }

private:
    const unsigned char* data_;
    size_t size_;
};

// The section table, to turn an address in the loaded image into an offset in the file.
struct Sections {
    const Bytes& bytes;
    uint64_t table;
    unsigned count;

    bool Offset(uint32_t address, uint64_t length, uint64_t& offset) const {
        for (unsigned i = 0; i < count; ++i) {
            const uint64_t section = table + 40ull * i;
            const uint32_t start = bytes.U32(section + 12), rawSize = bytes.U32(section + 16);
            if (address < start || address - start >= rawSize) continue;
            const uint64_t into = address - start;
            if (length > rawSize - into) return false;
            offset = bytes.U32(section + 20) + into;
            return bytes.Has(offset, length);
        }
        return false;
    }
};

// The resource directory's entry with this numeric id (any = the first entry of either kind), and whether
// it leads to a subdirectory; the entry's target is relative to the root of the resource section.
bool FindEntry(const Bytes& b, uint64_t root, uint64_t directory, bool any, uint32_t id, bool wantDirectory,
               uint64_t& target) {
    if (!b.Has(directory, 16)) return false;
    const unsigned named = b.U16(directory + 12), numbered = b.U16(directory + 14);
    for (unsigned i = any ? 0 : named; i < named + numbered; ++i) {
        const uint64_t entry = directory + 16 + 8ull * i;
        if (!b.Has(entry, 8)) return false;
        const uint32_t name = b.U32(entry), data = b.U32(entry + 4);
        if (!any && name != id) continue;
        if (((data & kSubdirectoryBit) != 0) != wantDirectory) continue;
        target = root + (data & ~kSubdirectoryBit);
        return true;
    }
    return false;
}

bool FindVersionResource(const Bytes& b, uint64_t& start, uint64_t& length) {
    if (!b.Has(0, 64) || b.U16(0) != 0x5A4D) return false;  // "MZ"
    const uint64_t headers = b.U32(0x3C);
    if (!b.Has(headers, 24) || b.U32(headers) != 0x00004550) return false;  // "PE\0\0"
    const unsigned sectionCount = b.U16(headers + 6);
    const uint64_t optional = headers + 24, optionalSize = b.U16(headers + 20);
    if (optionalSize < 2 || !b.Has(optional, optionalSize)) return false;
    uint64_t countAt = 0, directories = 0;
    switch (b.U16(optional)) {
    case 0x10b: countAt = 92, directories = 96; break;    // PE32
    case 0x20b: countAt = 108, directories = 112; break;  // PE32+
    default: return false;
    }
    const uint64_t resourceDirectory = directories + 2 * 8;
    if (optionalSize < resourceDirectory + 8 || b.U32(optional + countAt) <= 2) return false;
    const Sections sections{b, optional + optionalSize, sectionCount};
    if (!b.Has(sections.table, 40ull * sectionCount)) return false;

    uint64_t root = 0, language = 0, name = 0, data = 0;
    if (!sections.Offset(b.U32(optional + resourceDirectory), 16, root)) return false;
    if (!FindEntry(b, root, root, false, kVersionResourceType, true, name)) return false;
    if (!FindEntry(b, root, name, true, 0, true, language)) return false;
    if (!FindEntry(b, root, language, true, 0, false, data) || !b.Has(data, 8)) return false;
    length = b.U32(data + 4);
    return sections.Offset(b.U32(data), length, start);
}

// One block of the version resource: its length, value length, type, key, value, then its children, each
// aligned to four bytes from the resource's start.
struct Block {
    uint64_t end = 0;
    std::u16string key;
    uint64_t value = 0;
    uint64_t valueBytes = 0;
    uint64_t children = 0;
};

uint64_t Aligned(uint64_t base, uint64_t offset) { return base + ((offset - base + 3) & ~uint64_t(3)); }

bool ReadBlock(const Bytes& b, uint64_t base, uint64_t offset, uint64_t limit, Block& block) {
    if (offset > limit || limit - offset < 6) return false;
    const uint64_t length = b.U16(offset);
    if (length < 6 || length > limit - offset) return false;
    block.end = offset + length;
    const uint16_t valueLength = b.U16(offset + 2), type = b.U16(offset + 4);
    block.key.clear();
    uint64_t at = offset + 6;
    for (;; at += 2) {
        if (block.end - at < 2) return false;
        const char16_t c = b.U16(at);
        if (c == 0) break;
        block.key.push_back(c);
    }
    block.value = Aligned(base, at + 2);
    if (block.value > block.end) block.value = block.end;
    block.valueBytes = type == 1 ? 2ull * valueLength : valueLength;  // text counts characters
    if (block.valueBytes > block.end - block.value) block.valueBytes = block.end - block.value;
    block.children = Aligned(base, block.value + block.valueBytes);
    if (block.children > block.end) block.children = block.end;
    return true;
}

bool KeyIs(const std::u16string& key, const char* expected) {
    size_t i = 0;
    for (; expected[i]; ++i) {
        if (i == key.size()) return false;
        char16_t c = key[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        char e = expected[i];
        if (e >= 'A' && e <= 'Z') e = static_cast<char>(e - 'A' + 'a');
        if (c != static_cast<char16_t>(e)) return false;
    }
    return i == key.size();
}

// Calls visit for each child of parent, in order, until it answers false.
template <typename Visit>
void EachChild(const Bytes& b, uint64_t base, const Block& parent, Visit visit) {
    Block child;
    for (uint64_t at = parent.children; ReadBlock(b, base, at, parent.end, child); at = Aligned(base, child.end))
        if (!visit(child)) return;
}

// The text of a string block: up to its terminator or its end, whatever its value length claims.
std::u16string TextOf(const Bytes& b, const Block& block) {
    std::u16string text;
    for (uint64_t at = block.value; block.end - at >= 2; at += 2) {
        const char16_t c = b.U16(at);
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

}  // namespace

bool ReadImageIdentity(const unsigned char* image, size_t size, ImageIdentity& identity) {
    identity = ImageIdentity();
    const Bytes b(image, size);
    uint64_t base = 0, length = 0;
    if (!FindVersionResource(b, base, length)) return false;
    Block root;
    if (!ReadBlock(b, base, base, base + length, root)) return false;
    if (root.valueBytes < kFixedInfoSize || b.U32(root.value) != kFixedInfoSignature) return false;
    const uint32_t high = b.U32(root.value + 8), low = b.U32(root.value + 12);
    identity.fileVersion[0] = static_cast<uint16_t>(high >> 16);
    identity.fileVersion[1] = static_cast<uint16_t>(high);
    identity.fileVersion[2] = static_cast<uint16_t>(low >> 16);
    identity.fileVersion[3] = static_cast<uint16_t>(low);

    EachChild(b, base, root, [&](const Block& info) {
        if (!KeyIs(info.key, "StringFileInfo")) return true;
        // The first string table speaks for the file, as the system's version reader takes the first.
        EachChild(b, base, info, [&](const Block& table) {
            EachChild(b, base, table, [&](const Block& string) {
                if (!KeyIs(string.key, "OriginalFilename")) return true;
                identity.originalFilename = TextOf(b, string);
                return false;
            });
            return false;
        });
        return false;
    });
    return true;
}

}  // namespace omni
