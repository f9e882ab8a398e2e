#pragma once
// The scanner's outside world where it can fail: opening a folder, the folder changing while it is
// read, and writing the snapshot.
// The walk and the writer ask their environment before each such step, so a test hands them one
// that fails where it wants (tests run as root, where permissions never refuse an open, so
// "unreadable" and "the disk filled up" can only be reached this way). The standard environment
// never fails on its own.

#include <cstddef>
#include <optional>
#include <string>

namespace brimlet {

class ScanEnvironment {
public:
    virtual ~ScanEnvironment() = default;

    // The errno with which opening the folder at `path` (absolute) fails before the system is
    // asked, or 0 to open it normally. Called from every walk thread at once.
    virtual int openFolderFault(const std::string& /*path*/) const { return 0; }

    // Called when the listing of the folder at `path` (absolute) has begun, before any entry in
    // it is measured; from every walk thread at once. A test removes entries here, so that they
    // vanish between listing and measuring as they may while a person works.
    virtual void folderListed(const std::string& /*path*/) const {}

    // How many bytes of a snapshot document reach the file before every further write fails
    // with EIO, as on a full or failing disk; nullopt for no limit.
    virtual std::optional<std::size_t> writeLimit() const { return std::nullopt; }

    // The environment of a real scan, shared by all.
    static const ScanEnvironment& standard();
};

}  // namespace brimlet
