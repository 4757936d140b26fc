#include "machine/component_identity.h"

#include "core/result_codes.h"
#include "machine/image_version.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

enum class Identity { kNone, kUnnamed, kNamed, kOther };

// The held file's bytes, mapped read-only for as long as the object lives.
class MappedFile {
public:
    explicit MappedFile(const LockedFile& file) {
        LARGE_INTEGER size = {};
        if (!file.ok() || !GetFileSizeEx(file.handle(), &size) || size.QuadPart <= 0 ||
            static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX)
            return;
        mapping_.reset(CreateFileMappingW(file.handle(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping_) return;
        view_ = static_cast<const unsigned char*>(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0));
        if (view_) size_ = static_cast<size_t>(size.QuadPart);
    }
    ~MappedFile() {
        if (view_) UnmapViewOfFile(view_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const unsigned char* data() const { return view_; }
    size_t size() const { return size_; }

private:
    unique_handle mapping_;
    const unsigned char* view_ = nullptr;
    size_t size_ = 0;
};

// Letter case as the file system folds it, for names in any script.
std::wstring Folded(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

Identity ReadIdentity(const LockedFile& file, const std::string& name, Version& version) {
    MappedFile bytes(file);
    ImageIdentity identity;
    if (!bytes.data() || !ReadImageIdentity(bytes.data(), bytes.size(), identity)) return Identity::kNone;
    version = Format("%u.%u.%u.%u", identity.fileVersion[0], identity.fileVersion[1], identity.fileVersion[2],
                     identity.fileVersion[3]);
    const std::wstring original(identity.originalFilename.begin(), identity.originalFilename.end());
    if (original.empty()) return Identity::kUnnamed;
    return Folded(original) == Folded(Widen(name)) ? Identity::kNamed : Identity::kOther;
}

}  // namespace

int CheckComponentIdentity(const LockedFile& file, const std::string& name, const Version& atLeast) {
    Version version;
    if (ReadIdentity(file, name, version) != Identity::kNamed) return kNotTheComponent;
    return version >= atLeast ? kOk : kNotTheComponent;
}

int CheckInstallerIdentity(const LockedFile& file, const std::string& name) {
    Version version;
    return ReadIdentity(file, name, version) == Identity::kOther ? kNotTheComponent : kOk;
}

}  // namespace omni
