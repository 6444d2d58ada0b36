#include "e2e/harness.h"

#include <fcntl.h>
#include <iconv.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace e2e {

bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->assign(in.size() * 3 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out->data();
  size_t src_left = in.size(), dst_left = out->size();
  bool ok = iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<size_t>(-1);
  iconv_close(cd);
  out->resize(out->size() - dst_left);
  return ok;
}

namespace {

// Where every TempDir lives, and the same place as a Windows program under
// Wine names it (the host's root is Wine's drive Z:).
constexpr char kTempRoot[] = "/tmp/zolt-e2e-";
constexpr char kWindowsTempRoot[] = "Z:\\tmp\\zolt-e2e-";

// An argument as the Windows build is given it: a TempDir path in it (also
// after an option prefix such as -o or @) in its Windows form, the whole in
// UTF-8.
std::string WindowsArgument(const std::string& arg) {
  std::string result = arg;
  if (size_t at = arg.find(kTempRoot); at != std::string::npos) {
    // '/' is never the second byte of a double-byte character.
    result = arg.substr(0, at) + "Z:" + arg.substr(at);
    std::replace(result.begin() + static_cast<long>(at), result.end(), '/', '\\');
  }
  std::string utf8;
  return Convert("UTF-8", "CP932", result, &utf8) ? utf8 : result;
}

// What the Windows build printed, as the native build would print it: CR LF
// folded to LF, and TempDir paths in their host form again (a backslash that
// is the second byte of a kanji stays).
std::string HostText(const std::string& text) {
  std::string out;
  bool in_path = false, after_lead = false;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (!in_path && text.compare(i, sizeof kWindowsTempRoot - 1, kWindowsTempRoot) == 0) {
      in_path = true;
      i += 1;  // past "Z:"
      continue;
    }
    bool trail = after_lead && ((c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC));
    if (in_path && !trail && strchr("\r\n'\" ():", c)) in_path = false;
    after_lead = in_path && !trail && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
    out += in_path && !trail && c == '\\' ? '/' : text[i];
  }
  return out;
}

// Opens `path` close-on-exec, or throws.
int Open(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  return fd;
}

// Starts zolt with `args` on the descriptors `in`, `out` and `err` (the
// controlling terminal when `terminal`), in options.cwd; its process id.
int Spawn(const std::vector<std::string>& args, const RunOptions& options, int in, int out, int err,
          bool terminal) {
  const bool win32 = TargetIsWin32();
  std::vector<std::string> command;
  if (const char* runner = getenv("ZOLT_RUNNER")) {
    std::istringstream words(runner);
    for (std::string w; words >> w;) command.push_back(w);
  }
  const char* bin = getenv("ZOLT_BIN");
  command.push_back(bin ? bin : ZOLT_BUILT_BINARY);
  for (const std::string& a : args) command.push_back(win32 ? WindowsArgument(a) : a);
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid > 0) return pid;
  setsid();
  if (terminal) ioctl(in, TIOCSCTTY, 0);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(125);
  for (int fd : options.closed) close(fd);
  // Wine takes the system code page from the locale: Shift-JIS, as on a
  // Japanese Windows. The Windows build itself does not read the locale.
  setenv("LC_ALL", win32 ? "ja_JP.UTF-8" : "C", 1);
  for (const std::string& e : options.env) putenv(strdup(e.c_str()));
  signal(SIGPIPE, SIG_DFL);
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

// Waits for the process `pid`; its exit status, or 128 + signal number.
int Wait(int pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

bool TargetIsWin32() {
  const char* target = getenv("ZOLT_TARGET");
  return target && std::string(target) == "win32";
}

std::string HostName(const std::string& sjis_path) {
  if (!TargetIsWin32()) return sjis_path;
  std::string utf8;
  if (!Convert("UTF-8", "CP932", sjis_path, &utf8))
    throw std::runtime_error("not Shift-JIS: " + sjis_path);
  return utf8;
}

RunResult RunZolt(const std::vector<std::string>& args, const RunOptions& options) {
  auto in_cwd = [&](const std::string& path) {
    return path[0] == '/' || options.cwd.empty() ? path : options.cwd + "/" + path;
  };
  int in = -1, master = -1, writer = -1, feed[2], out_pipe[2] = {-1, -1};
  if (options.input == Input::kTerminal) {
    if (openpty(&master, &in, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("pty");
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(in, F_SETFD, FD_CLOEXEC);
  } else if (options.input == Input::kPipe) {
    if (pipe2(feed, O_CLOEXEC) != 0 || (writer = fork()) < 0) throw std::runtime_error("pipe");
    if (writer == 0) {  // feeds the pipe until done or until zolt stops reading
      close(feed[0]);
      const std::string& data = options.stdin_data;
      for (ssize_t at = 0, n; at < static_cast<ssize_t>(data.size()); at += n)
        if ((n = write(feed[1], data.data() + at, data.size() - size_t(at))) <= 0) break;
      _exit(0);
    }
    close(feed[1]);
    in = feed[0];
  } else {
    in = Open(options.input == Input::kFile ? in_cwd(options.stdin_path) : "/dev/null", O_RDONLY);
    lseek(in, options.stdin_offset, SEEK_SET);
  }
  int out = options.output == Output::kDevNull ? Open("/dev/null", O_WRONLY) : -1;
  if (options.output == Output::kPipe && pipe2(out_pipe, O_CLOEXEC) == 0) out = out_pipe[1];
  if (options.output == Output::kFile || options.output == Output::kAppend)
    out = Open(in_cwd(options.stdout_path),
               O_WRONLY | O_CREAT | (options.output == Output::kFile ? O_TRUNC : O_APPEND));
  int err = open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (out < 0 || err < 0) throw std::runtime_error("pipe");
  int pid = Spawn(args, options, in, out, err, master >= 0);
  close(in);
  close(out);
  RunResult result;
  if (options.during)
    options.during(out_pipe[0]);
  else if (out_pipe[0] >= 0)
    result.out = ReadSome(out_pipe[0]);
  if (out_pipe[0] >= 0) close(out_pipe[0]);
  result.status = Wait(pid);
  if (writer > 0) Wait(writer);
  if (master >= 0) close(master);  // only now: a hang-up would reach zolt
  lseek(err, 0, SEEK_SET);
  result.err_raw = ReadSome(err);
  close(err);
  result.err = TargetIsWin32() ? HostText(result.err_raw) : result.err_raw;
  return result;
}

TempDir::TempDir(const Files& files) {
  std::string tmpl = std::string(kTempRoot) + "XXXXXX";
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
  path_ = tmpl;
  for (const auto& [name, bytes] : files) Make(name, bytes);
}

TempDir::~TempDir() {
  std::string cmd = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  [[maybe_unused]] int status = system(cmd.c_str());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path, int64_t at, size_t size) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "<missing>";
  std::string bytes = at == 0 || lseek(fd, at, SEEK_SET) == at ? ReadSome(fd, size) : "<no seek>";
  close(fd);
  return bytes;
}

std::string ReadSome(int fd, size_t size) {
  std::string bytes;
  char block[65536];
  for (ssize_t n; bytes.size() < size &&
                  (n = read(fd, block, std::min(sizeof block, size - bytes.size()))) > 0;)
    bytes.append(block, static_cast<size_t>(n));
  return bytes;
}

uint64_t FreeBytes(const std::string& path) {
  struct statvfs vfs {};
  return statvfs(path.c_str(), &vfs) == 0 ? uint64_t{vfs.f_bavail} * vfs.f_frsize : 0;
}

bool RunsHere(On on) {
  return on != (TargetIsWin32() ? On::kPosix : On::kWin32);
}

void TempDir::Make(const std::string& name, const std::string& bytes) const {
  const std::string path = HostName(*this / name), rest = HostName(*this / name.substr(1));
  const bool made = name.back() == '/' ? mkdir(path.c_str(), 0755) == 0
                    : name[0] == '@'   ? symlink(bytes.c_str(), rest.c_str()) == 0
                    : name[0] == '|'   ? mkfifo(rest.c_str(), 0644) == 0
                    : name[0] == '='   ? link(HostName(*this / bytes).c_str(), rest.c_str()) == 0
                                       : (WriteFile(path, bytes), true);
  if (!made) throw std::runtime_error("cannot make " + path);
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(path, error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Sjis(const std::string& utf8) {
  std::string out;
  if (!Convert("CP932", "UTF-8", utf8, &out)) throw std::runtime_error("iconv: " + utf8);
  return out;
}

std::string Msg(const std::string& utf8, const std::string& variable) {
  return Sjis(utf8) + variable + "\n";
}

std::string Banner() {
  return Sjis("Ｚolt Ｋit Ver2.15 [WIN32 版] (C) Zolt Kit developers\n");
}

}  // namespace e2e
