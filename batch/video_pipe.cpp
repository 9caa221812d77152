#include "batch/video_pipe.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "batch/stop_request.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace selvane::batch {

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
constexpr char kPathSeparator = ';';
constexpr const char* kFfmpegName = "ffmpeg.exe";
bool isProgram(const fs::path& candidate) {
    std::error_code error;
    return fs::is_regular_file(candidate, error);
}
#else
constexpr char kPathSeparator = ':';
constexpr const char* kFfmpegName = "ffmpeg";
bool isProgram(const fs::path& candidate) {
    std::error_code error;
    return fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0;
}
#endif

constexpr size_t kWriteBlock = size_t{1} << 16;

// Every option comes before the one file name, which file: keeps from being read as an
// option ("-x.mp4") or a protocol ("pipe:1.mp4").
std::vector<fs::path> ffmpegArguments(const std::string& ffmpeg, const fs::path& file, int32_t width, int32_t height,
                                      int fps) {
    std::vector<fs::path> words;
    for (const std::string& word :
         {ffmpeg, std::string("-hide_banner"), std::string("-loglevel"), std::string("error"), std::string("-y"),
          std::string("-f"), std::string("rawvideo"), std::string("-pixel_format"), std::string("rgb24"),
          std::string("-video_size"), std::to_string(width) + "x" + std::to_string(height), std::string("-framerate"),
          std::to_string(fps), std::string("-i"), std::string("pipe:0"), std::string("-c:v"), std::string("libx264"),
          std::string("-pix_fmt"), std::string("yuv420p"), std::string("-movflags"), std::string("+faststart"),
          std::string("-f"), std::string("mp4")})
        words.emplace_back(word);
    words.push_back(fs::path("file:") += file);
    return words;
}

#if defined(_WIN32)
// One word of a command line as the C runtime splits it again: quoted when it has blanks
// or quotes, with the backslashes before a quote doubled. No shell reads it, so % and the
// like stay as they are.
std::wstring quotedArgument(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) return word;
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(2 * slashes, L'\\');
    return out + L"\"";
}
#endif

}  // namespace

std::string findFfmpeg() {
    const char* path = std::getenv("PATH");
    if (!path) return "";
    const std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(kPathSeparator, start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const fs::path candidate = fs::path(folder) / kFfmpegName;
            if (isProgram(candidate)) return candidate.string();
        }
        start = end + 1;
    }
    return "";
}

VideoPipe::~VideoPipe() {
    if (!running_) return;
    closeInput();
    endProgram();
    waitForEnd();
}

bool VideoPipe::open(const std::string& ffmpeg, const fs::path& file, int32_t width, int32_t height, int fps,
                     std::chrono::milliseconds patience) {
    if (running_) return false;
    patience_ = patience;
    const std::vector<fs::path> words = ffmpegArguments(ffmpeg, file, width, height, fps);
#if defined(_WIN32)
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, static_cast<DWORD>(kWriteBlock))) return false;
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine;
    for (const fs::path& word : words) commandLine += (commandLine.empty() ? L"" : L" ") + quotedArgument(word.wstring());
    PROCESS_INFORMATION started{};
    // A group of its own, so Ctrl+C reaches only this program, which then ends ffmpeg itself.
    const BOOL ok = CreateProcessW(words[0].c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                                   nullptr, nullptr, &startup, &started);
    CloseHandle(readEnd);
    if (!ok) {
        CloseHandle(writeEnd);
        return false;
    }
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    input_ = writeEnd;
#else
    std::signal(SIGPIPE, SIG_IGN);  // an ffmpeg that ends early is a failed write, not our end
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    // A group of its own, so Ctrl+C reaches only this program, which then ends ffmpeg itself.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    std::vector<std::string> texts;
    for (const fs::path& word : words) texts.push_back(word.string());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(&text[0]);
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, texts[0].c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[0]);
    if (failed != 0) {
        ::close(ends[1]);
        return false;
    }
    process_ = pid;
    input_ = ends[1];
#endif
    running_ = true;
    closing_ = false;
    gaveUp_ = false;
    waiting_ = false;
    watcher_ = std::thread(&VideoPipe::watch, this);
    return true;
}

bool VideoPipe::addPicture(const std::vector<uint8_t>& rgb) {
    return running_ && writeAll(rgb.data(), rgb.size());
}

bool VideoPipe::finish() {
    if (!running_) return false;
    closeInput();
    return waitForEnd();
}

void VideoPipe::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!closing_) {
        wake_.wait_for(lock, std::chrono::milliseconds(50));
        if (closing_ || !waiting_) continue;
        const bool stop = stopRequest() != 0;
        if (!stop && std::chrono::steady_clock::now() - since_ < patience_) continue;
        gaveUp_ = !stop;
        endProgram();  // the write or the wait it holds up then fails
        return;
    }
}

void VideoPipe::arm(bool waiting) {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = waiting;
    since_ = std::chrono::steady_clock::now();
}

void VideoPipe::stopWatch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    if (watcher_.joinable()) watcher_.join();
}

bool VideoPipe::writeAll(const uint8_t* data, size_t size) {
    bool ok = true;
    arm(true);
    for (size_t done = 0; ok && done < size;) {
        const size_t block = std::min(size - done, kWriteBlock);
#if defined(_WIN32)
        DWORD written = 0;
        ok = WriteFile(input_, data + done, static_cast<DWORD>(block), &written, nullptr) && written > 0;
#else
        const ssize_t written = ::write(input_, data + done, block);
        if (written < 0 && errno == EINTR) continue;
        ok = written > 0;
#endif
        if (ok) {
            done += static_cast<size_t>(written);
            arm(true);  // it takes pictures: the patience starts again
        }
    }
    arm(false);
    return ok;
}

// Both end the program only while it has not been waited for, so its number or handle is
// still its own.
#if defined(_WIN32)
void VideoPipe::endProgram() { TerminateProcess(process_, 1); }

void VideoPipe::closeInput() {
    if (input_) CloseHandle(input_);
    input_ = nullptr;
}

bool VideoPipe::waitForEnd() {
    arm(true);
    WaitForSingleObject(process_, INFINITE);
    stopWatch();
    DWORD code = 1;
    const bool known = GetExitCodeProcess(process_, &code) != 0;
    CloseHandle(process_);
    process_ = nullptr;
    running_ = false;
    return known && code == 0;
}
#else
void VideoPipe::endProgram() { ::kill(process_, SIGKILL); }

void VideoPipe::closeInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
}

bool VideoPipe::waitForEnd() {
    arm(true);
    siginfo_t ended{};
    while (::waitid(P_PID, static_cast<id_t>(process_), &ended, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    stopWatch();  // only then is it reaped, after which its number may be another program's
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(process_, &status, 0)) < 0 && errno == EINTR) {
    }
    process_ = -1;
    running_ = false;
    return reaped > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif

}  // namespace selvane::batch
