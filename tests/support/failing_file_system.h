#pragma once
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/file_system.h"
#include "platform/posix/mapped_file_system.h"

namespace corvane::testing {

// Forwards to a real file system but fails the operations a test chooses:
// faults real files cannot produce on demand (a full disk half-way through a
// copy, a rename refused, a share gone between two calls).
//
//   FailingFileSystem files(drives.files);
//   files.Fail(FailingFileSystem::Op::Copy).OnPathsWith("_BackUps").FromCall(2).WithError(112).HalfWay();
class FailingFileSystem : public FileSystem {
public:
    enum class Op { Lookup, ListFiles, CreationTime, Delete, CreateFolder, Copy, Replace, WriteText, AppendText,
                    ReadText, ReadBytes, ReadHead, Link, Flush, Hold, FreeSpace };

    struct Fault {
        Op op;
        std::string pathPart;  // empty: every path; else matched without regard to case
        int fromCall = 1;      // the first matching call that fails (1 = every one)
        unsigned long code = 5;
        std::string text = "Access is denied.";
        bool halfWay = false;  // Copy: the first half of the bytes reach the destination
        int calls = 0;         // matching calls seen so far

        Fault& OnPathsWith(std::string part) { pathPart = std::move(part); return *this; }
        Fault& FromCall(int n) { fromCall = n; return *this; }
        Fault& WithError(unsigned long c, std::string t = "The system failed as the test asked.") {
            code = c;
            text = std::move(t);
            return *this;
        }
        Fault& HalfWay() { halfWay = true; return *this; }
    };

    explicit FailingFileSystem(FileSystem& inner) : inner_(inner) {}
    // Over mapped files a half-way copy can leave its partial bytes on disk.
    explicit FailingFileSystem(MappedFileSystem& inner) : inner_(inner), mapped_(&inner) {}

    // A failed Lookup answers Unreachable. The fault stays until Clear().
    Fault& Fail(Op op) {
        faults_.push_back({op});
        return faults_.back();
    }
    void Clear() { faults_.clear(); }

    // The volume of a drive ("G:") with bytes free now, over mapped files:
    // it shrinks as anything is written on the drive (the engine's files
    // too) and grows as files go, a file with several names counted once.
    void SetFreeSpace(const std::string& drive, std::uint64_t bytes) {
        volume_ = drive;
        capacity_ = bytes + UsedBytes();
    }

    // Set: a copy reports these figures, as Windows does per chunk, and nothing after them.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> copyReports;
    // Far more than any run looks up (a night's wait of thirty minutes looks
    // up its lock file 1800 times): a retry that no answer ends, such as a
    // question answered Yes for ever, fails its test instead of hanging the
    // test program, as each round looks something up again.
    static constexpr std::size_t kMostLookups = 100000;

    EntryKind Lookup(const std::string& path) override {
        if (++lookups_ > kMostLookups) {
            throw std::runtime_error("more than " + std::to_string(kMostLookups) + " lookups, the last " + path);
        }
        return Hit(Op::Lookup, path) ? EntryKind::Unreachable : inner_.Lookup(path);
    }
    Status ListFiles(const std::string& folder, std::vector<FileEntry>& files) override {
        if (const Fault* f = Hit(Op::ListFiles, folder)) return Failure(*f, "FindFirstFileEx");
        return inner_.ListFiles(folder, files);
    }
    // A folder that cannot be read fails either listing: Op::ListFiles stands for both.
    Status ListFileNames(const std::string& folder, std::vector<std::string>& names) override {
        if (const Fault* f = Hit(Op::ListFiles, folder)) return Failure(*f, "FindFirstFileEx");
        return inner_.ListFileNames(folder, names);
    }
    Status CreationTime(const std::string& path, FileTime& created) override {
        if (const Fault* f = Hit(Op::CreationTime, path)) return Failure(*f, "GetFileAttributesEx");
        return inner_.CreationTime(path, created);
    }
    Status Delete(const std::string& path) override {
        if (const Fault* f = Hit(Op::Delete, path)) return Failure(*f, "DeleteFile");
        return inner_.Delete(path);
    }
    Status CreateFolder(const std::string& path) override {
        if (const Fault* f = Hit(Op::CreateFolder, path)) return Failure(*f, "CreateDirectory");
        return inner_.CreateFolder(path);
    }
    Status Copy(const std::string& from, const std::string& to, const CopyProgress& progress = {}) override {
        const Fault* f = Hit(Op::Copy, from, to);
        if (!f && !copyReports.empty()) {
            for (const auto& [copied, total] : copyReports) {
                if (progress) progress(copied, total);
            }
            return inner_.Copy(from, to);
        }
        if (!f) return inner_.Copy(from, to, progress);
        if (f->halfWay) WriteHalf(from, to, progress);
        return Failure(*f, "CopyFileEx");
    }
    Status Flush(const std::string& path) override {
        if (const Fault* f = Hit(Op::Flush, path)) return Failure(*f, "FlushFileBuffers");
        return inner_.Flush(path);
    }
    Status Replace(const std::string& from, const std::string& to) override {
        if (const Fault* f = Hit(Op::Replace, from, to)) return Failure(*f, "MoveFileEx");
        return inner_.Replace(from, to);
    }
    Status WriteText(const std::string& path, const std::string& text) override {
        if (const Fault* f = Hit(Op::WriteText, path)) return Failure(*f, "CreateFile");
        return inner_.WriteText(path, text);
    }
    Status AppendText(const std::string& path, const std::string& text) override {
        if (const Fault* f = Hit(Op::AppendText, path)) return Failure(*f, "CreateFile");
        return inner_.AppendText(path, text);
    }
    Status ReadText(const std::string& path, std::size_t count, std::string& text) override {
        if (const Fault* f = Hit(Op::ReadText, path)) return Failure(*f, "ReadFile");
        return inner_.ReadText(path, count, text);
    }
    Status ReadBytes(const std::string& path, std::string& bytes) override {
        if (const Fault* f = Hit(Op::ReadBytes, path)) return Failure(*f, "ReadFile");
        return inner_.ReadBytes(path, bytes);
    }
    Status Link(const std::string& existing, const std::string& newName) override {
        if (const Fault* f = Hit(Op::Link, existing, newName)) return Failure(*f, "CreateHardLink");
        return inner_.Link(existing, newName);
    }
    Status FreeSpace(const std::string& path, std::uint64_t& bytes) override {
        if (const Fault* f = Hit(Op::FreeSpace, path)) return Failure(*f, "GetDiskFreeSpaceEx");
        if (!capacity_ || UpperCase(path.substr(0, volume_.size())) != UpperCase(volume_)) {
            return inner_.FreeSpace(path, bytes);
        }
        if (const Status there = inner_.FreeSpace(path, bytes); !there) return there;
        const std::uint64_t used = UsedBytes();
        bytes = used < *capacity_ ? *capacity_ - used : 0;
        return Status::Ok();
    }
    Status ReadHead(const std::string& path, std::size_t count, std::string& bytes, std::uint64_t& size) override {
        if (const Fault* f = Hit(Op::ReadHead, path)) return Failure(*f, "ReadFile");
        return inner_.ReadHead(path, count, bytes, size);
    }
    Status Hold(const std::string& path, std::unique_ptr<HeldFile>& held) override {
        if (const Fault* f = Hit(Op::Hold, path)) return Failure(*f, "CreateFile");
        return inner_.Hold(path, held);
    }

private:
    static Status Failure(const Fault& f, const char* where) { return Status::Fail(f.code, where, f.text); }

    // The fault that fails this call, counting the call for every fault it matches.
    const Fault* Hit(Op op, const std::string& path, const std::string& other = {}) {
        const Fault* hit = nullptr;
        for (Fault& f : faults_) {
            if (f.op != op) continue;
            const std::string part = UpperCase(f.pathPart);
            if (!Contains(UpperCase(path), part) && !(!other.empty() && Contains(UpperCase(other), part))) continue;
            if (++f.calls >= f.fromCall && !hit) hit = &f;
        }
        return hit;
    }

    void WriteHalf(const std::string& from, const std::string& to, const CopyProgress& progress) {
        std::string bytes;
        if (!mapped_ || !inner_.ReadBytes(from, bytes)) return;
        std::ofstream out(mapped_->Resolve(to), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
        if (progress) progress(bytes.size() / 2, bytes.size());
    }

    std::uint64_t UsedBytes() const {
        if (!mapped_) return 0;
        long double used = 0;
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(mapped_->Resolve(volume_ + "\\"), ec)) {
            if (!entry.is_regular_file(ec)) continue;
            used += static_cast<long double>(entry.file_size(ec)) / static_cast<long double>(entry.hard_link_count(ec));
        }
        return static_cast<std::uint64_t>(used + 0.5L);
    }

    FileSystem& inner_;
    MappedFileSystem* mapped_ = nullptr;
    std::string volume_;
    std::optional<std::uint64_t> capacity_;
    std::deque<Fault> faults_;  // a deque keeps each Fault& handed out valid
    std::size_t lookups_ = 0;
};

}  // namespace corvane::testing
