#pragma once

#include <cstdint>
#include <string>

namespace ts {

// A file that one process at a time holds: while a recording runs it holds its note, and a
// second program that finds the note held knows that the recording is alive, not cut. The
// system lets go of it when the holder ends however it ends (a kill, a crash, a power cut), so
// a hold is never left behind. On Linux an flock() on the file, on Windows a LockFileEx() on a
// byte far past its end, so that the note's own bytes may still be read and written by anyone.
// Two holds in one process exclude each other as two processes' do.
class FileLock {
public:
    enum class Outcome { Taken, HeldElsewhere, Failed };

    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() { Release(); }

    // Opens the regular file at `path`, making it empty when nothing is there, and takes it
    // without waiting. A file that went or was replaced while it was being taken is taken
    // afresh, so what is held is always what the path names.
    Outcome Take(const std::string& path);
    bool Held() const { return handle_ != kNone; }
    // Why the last Take failed, in the system's words (empty after one that did not fail).
    const std::string& Problem() const { return problem_; }
    // Removes the file while it is still held, then lets it go: nobody else takes a file that is
    // on its way out.
    void RemoveAndRelease();
    void Release();

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // a file descriptor, or a Windows HANDLE
    std::string path_;
    std::string problem_;
};

}  // namespace ts
