#include "machine/signature_layout.h"

#include <msi.h>
#include <msiquery.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/msi_handles.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr DWORD kSecurityDirectory = 4;            // IMAGE_DIRECTORY_ENTRY_SECURITY
constexpr DWORD kMaxCertificateTable = 1u << 20;   // far more than any signature needs
constexpr WORD kPkcsSignedData = 2;                // WIN_CERT_TYPE_PKCS_SIGNED_DATA
constexpr unsigned char kCompoundFile[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr int kSummaryWordCount = 15;              // PID_WORDCOUNT
constexpr int kSourceCompressed = 2;               // its bit for "files are in cabinets"
constexpr int kFileNoncompressed = 0x2000;         // msidbFileAttributesNoncompressed
constexpr int kFileCompressed = 0x4000;            // msidbFileAttributesCompressed

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD size) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return ReadFile(file, buffer, size, &got, &at) && got == size;
}

template <class T>
bool ReadValue(HANDLE file, uint64_t offset, T& value) {
    return ReadAt(file, offset, &value, sizeof(value));
}

// The length of the DER element at the start of bytes, header included; 0 when it is not one.
size_t DerLength(const std::vector<unsigned char>& bytes) {
    if (bytes.size() < 2 || bytes[0] != 0x30) return 0;
    size_t length = bytes[1], header = 2;
    if (length & 0x80) {
        const size_t digits = length & 0x7F;
        if (digits == 0 || digits > 4 || bytes.size() < 2 + digits) return 0;
        length = 0;
        for (size_t i = 0; i < digits; ++i) length = length << 8 | bytes[2 + i];
        header += digits;
    }
    return header + length <= bytes.size() ? header + length : 0;
}

bool CertificateTableHoldsOnlyTheSignature(HANDLE file) {
    LARGE_INTEGER size = {};
    DWORD peOffset = 0, signature = 0, table[2] = {}, entryLength = 0;
    WORD magic = 0;
    if (!GetFileSizeEx(file, &size) || !ReadValue(file, 0x3C, peOffset) || !ReadValue(file, peOffset, signature) ||
        signature != IMAGE_NT_SIGNATURE || !ReadValue(file, uint64_t(peOffset) + 24, magic))
        return false;
    const uint64_t directories = uint64_t(peOffset) + 24 + (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? 112 : 96);
    if ((magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC && magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) ||
        !ReadAt(file, directories + kSecurityDirectory * 8, table, sizeof(table)))
        return false;
    const uint64_t start = table[0], length = table[1];
    // The table ends the file: bytes after it would be covered by nothing.
    if (length < 8 || length > kMaxCertificateTable || start + length != uint64_t(size.QuadPart)) return false;
    std::vector<unsigned char> bytes(length);
    if (!ReadAt(file, start, bytes.data(), static_cast<DWORD>(length))) return false;
    std::memcpy(&entryLength, bytes.data(), sizeof(entryLength));
    WORD type = 0;
    std::memcpy(&type, bytes.data() + 6, sizeof(type));
    if (type != kPkcsSignedData || entryLength < 8 || entryLength > length) return false;
    const size_t der = DerLength(std::vector<unsigned char>(bytes.begin() + 8, bytes.begin() + entryLength));
    if (der == 0) return false;
    // After the signature only the zeros that align the entry to eight bytes; a second entry or appended
    // text is refused.
    const size_t signatureEnd = 8 + der;
    if (length - signatureEnd >= 8) return false;
    for (size_t i = signatureEnd; i < length; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

// Calls each(record) for every row of a query; true when the table is missing (no rows) or every call
// answered true.
template <class Each>
bool EveryRow(MSIHANDLE database, const wchar_t* query, Each each) {
    unique_msi_handle view;
    UINT status = MsiDatabaseOpenViewW(database, query, view.addressof());
    if (status == ERROR_BAD_QUERY_SYNTAX) return true;  // a package without that table
    if (status != ERROR_SUCCESS || MsiViewExecute(view.get(), 0) != ERROR_SUCCESS) return false;
    for (;;) {
        unique_msi_handle record;
        status = MsiViewFetch(view.get(), record.addressof());
        if (status == ERROR_NO_MORE_ITEMS) return true;
        if (status != ERROR_SUCCESS || !each(record.get())) return false;
    }
}

// Files outside the package (a cabinet beside it, or uncompressed source files) are read from wherever
// the package lies and are covered by no signature.
bool PackageCarriesItsFiles(const std::string& path) {
    unique_msi_handle database, summary;
    if (MsiOpenDatabaseW(Widen(path).c_str(), MSIDBOPEN_READONLY, database.addressof()) != ERROR_SUCCESS ||
        MsiGetSummaryInformationW(database.get(), nullptr, 0, summary.addressof()) != ERROR_SUCCESS)
        return false;
    UINT type = 0;
    INT wordCount = 0;
    FILETIME unused = {};
    DWORD textSize = 0;
    if (MsiSummaryInfoGetPropertyW(summary.get(), kSummaryWordCount, &type, &wordCount, &unused, nullptr, &textSize) !=
        ERROR_SUCCESS)
        return false;
    const bool compressedByDefault = (wordCount & kSourceCompressed) != 0;
    const bool filesInCabinets = EveryRow(database.get(), L"SELECT `Attributes` FROM `File`", [&](MSIHANDLE row) {
        const int attributes = MsiRecordGetInteger(row, 1);
        return (attributes & kFileCompressed) != 0 || (compressedByDefault && !(attributes & kFileNoncompressed));
    });
    // An embedded cabinet is named "#stream"; any other name is a file beside the package.
    return filesInCabinets && EveryRow(database.get(), L"SELECT `Cabinet` FROM `Media`", [](MSIHANDLE row) {
               DWORD length = 0;
               wchar_t none[1] = {};
               UINT status = MsiRecordGetStringW(row, 1, none, &length);
               if (status == ERROR_SUCCESS) return length == 0;  // no cabinet: nothing in this medium
               std::wstring cabinet(length + 1, L'\0');
               length = static_cast<DWORD>(cabinet.size());
               status = MsiRecordGetStringW(row, 1, &cabinet[0], &length);
               return status == ERROR_SUCCESS && cabinet[0] == L'#';
           });
}

}  // namespace

bool NothingBesideTheSignature(const LockedFile& file) {
    unsigned char head[sizeof(kCompoundFile)] = {};
    if (!file.ok() || !ReadAt(file.handle(), 0, head, sizeof(head))) return false;
    if (head[0] == 'M' && head[1] == 'Z') return CertificateTableHoldsOnlyTheSignature(file.handle());
    if (std::memcmp(head, kCompoundFile, sizeof(head)) == 0) return PackageCarriesItsFiles(file.path());
    return true;
}

}  // namespace omni
