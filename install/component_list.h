// The component lists: what the list files ask for (necessary) and what the machine holds
// (installed), one node per listed file, in list order.
#pragma once

#include <memory>
#include <string>

#include "core/version.h"

namespace omni {

// Component kinds carried by every entry.
inline constexpr int kKindZ4Control = 4;
inline constexpr int kKindZ3Control = 3;
inline constexpr int kKindDll = 0;

struct OCXDLLNode {
    std::string path;  // necessary: system folder + name; installed: where the file was looked for
    int kind = kKindDll;
    Version version;   // necessary: as listed; installed: as read from the file
    int found = 0;     // installed only: 1 unless the file was missing
    std::string note;
    std::string name;  // as written in the list file
    std::unique_ptr<OCXDLLNode> next;
};

class OCXDLLList {
public:
    OCXDLLList();
    virtual ~OCXDLLList();
    OCXDLLList(const OCXDLLList&) = delete;
    OCXDLLList& operator=(const OCXDLLList&) = delete;

    void Append(std::unique_ptr<OCXDLLNode> node);
    // The first node of that name, compared without regard to case; null when none.
    OCXDLLNode* Find(const std::string& name) const;
    void Clear();
    int GetCount() const;
    const OCXDLLNode* GetHead() const;

private:
    std::unique_ptr<OCXDLLNode> head_;
    OCXDLLNode* tail_ = nullptr;
    int count_ = 0;
};

class CNecessaryOCXDLLList : public OCXDLLList {
public:
    // Appends one node per pair of the list file. 0, or errorCode when the file cannot be read
    // (the list then gains nothing).
    int ParseListFile(const std::string& path, int errorCode, int kind);
};

class CNecessaryOcxList : public CNecessaryOCXDLLList {
public:
    // Kind 4 reads the Z4 list file, kind 3 the Z3 one; both append to this list.
    int LoadOcxList(int kind);
};

class CNecessaryDllList : public CNecessaryOCXDLLList {
public:
    // The DLL list file chosen by the OS code; every entry is of kind 0.
    int LoadDllList(int osCode);
};

class CInstalledOCXDLLList : public OCXDLLList {
public:
    // Appends, for each necessary node in order, where the file is and which version it has.
    void BuildFrom(const CNecessaryOCXDLLList& necessary);
};

class CInstalledOcxList : public CInstalledOCXDLLList {
public:
    // Whether the named control of the maker can be created now; false for other names.
    bool CanCreateControl(const std::string& fileName);
    // 1 enabled, 0 disabled in the browser's add-on manager; 1 for names the system does not know.
    int IsAddonEnabled(const std::string& fileName);
};

class CInstalledDllList : public CInstalledOCXDLLList {};

}  // namespace omni
