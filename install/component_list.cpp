#include "install/component_list.h"

#include "core/module_state.h"
#include "core/result_codes.h"
#include "install/component_probe.h"
#include "machine/component_lookup.h"
#include "machine/folder_mng.h"
#include "machine/list_file.h"
#include "machine/plain_file_name.h"
#include "machine/user_mode_ocx_register_util.h"
#include "platform/file_probe.h"
#include "platform/text.h"
#include "probes/version_retriever.h"

namespace omni {

OCXDLLList::OCXDLLList() = default;

OCXDLLList::~OCXDLLList() { Clear(); }

void OCXDLLList::Append(std::unique_ptr<OCXDLLNode> node) {
    if (!node) return;
    node->next.reset();  // a node joins alone
    OCXDLLNode* added = node.get();
    if (tail_)
        tail_->next = std::move(node);
    else
        head_ = std::move(node);
    tail_ = added;
    ++count_;
}

OCXDLLNode* OCXDLLList::Find(const std::string& name) const {
    for (OCXDLLNode* node = head_.get(); node; node = node->next.get())
        if (EqualsNoCase(node->name, name)) return node;
    return nullptr;
}

void OCXDLLList::Clear() {
    // One node at a time: letting the head's destructor free the chain would recurse once per node.
    while (head_) head_ = std::move(head_->next);
    tail_ = nullptr;
    count_ = 0;
}

int OCXDLLList::GetCount() const { return count_; }

const OCXDLLNode* OCXDLLList::GetHead() const { return head_.get(); }

int CNecessaryOCXDLLList::ParseListFile(const std::string& path, int errorCode, int kind) {
    std::string content;
    if (!ReadListFile(path, content)) return errorCode;
    const std::string systemFolder = GetFolderMng().GetSystemFolder();
    for (const ListFileEntry& entry : ParseListText(content)) {
        // A server's list is as hostile as a page: a name with a path would be probed, fetched and
        // installed outside the component folders.
        if (!IsPlainFileName(entry.name)) continue;
        auto node = std::make_unique<OCXDLLNode>();
        node->path = systemFolder + entry.name;
        node->kind = kind;
        node->version = entry.version;
        node->found = 0;
        node->name = entry.name;
        Append(std::move(node));
    }
    return kOk;
}

int CNecessaryOcxList::LoadOcxList(int kind) {
    const CFolderMng& folders = GetFolderMng();
    if (kind == kKindZ4Control) return ParseListFile(folders.GetOcxListZ4Path(), kOcxListMissing, kind);
    if (kind == kKindZ3Control) return ParseListFile(folders.GetOcxListZ3Path(), kOcxListMissing, kind);
    return kOcxListMissing;  // no list file holds controls of another kind
}

int CNecessaryDllList::LoadDllList(int osCode) {
    std::string path = GetFolderMng().GetDllFolder() + DllListFileName(osCode);
    return ParseListFile(path, kDllListMissing, kKindDll);
}

void CInstalledOCXDLLList::BuildFrom(const CNecessaryOCXDLLList& necessary) {
    const bool isAdmin = GetModuleState().isAdmin;
    const std::string systemFolder = GetFolderMng().GetSystemFolder();
    CVersionRetriever retriever;
    for (const OCXDLLNode* wanted = necessary.GetHead(); wanted; wanted = wanted->next.get()) {
        auto node = std::make_unique<OCXDLLNode>();
        std::string folder = LooksInRegisteredFolder(wanted->name, isAdmin)
                                 ? GetUserModeOcxRegisterUtil().GetRegisteredFolder(wanted->name)
                                 : systemFolder;
        node->path = folder + wanted->name;
        // The version probe answers "missing" for a file without version information too; such a
        // file is present (version 0.0.0.0), and calling it missing would offer to install it again.
        // A bare name (an unregistered control) is not checked so: it would be looked for in the
        // process's current folder.
        const bool hasFolder = node->path.find_first_of("\\/:") != std::string::npos;
        const bool versioned = retriever.RetrieveFileVersion(node->path, node->version) != kFileMissing;
        node->found = versioned || (hasFolder && IsFile(node->path)) ? 1 : 0;
        node->kind = wanted->kind;
        node->name = wanted->name;
        Append(std::move(node));
    }
}

bool CInstalledOcxList::CanCreateControl(const std::string& fileName) { return omni::CanCreateControl(fileName); }

int CInstalledOcxList::IsAddonEnabled(const std::string& fileName) { return omni::IsAddonEnabled(fileName); }

}  // namespace omni
