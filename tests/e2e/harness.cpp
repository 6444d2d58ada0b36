#include "e2e/harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace e2e {

namespace {

std::string g_zolt;

// Where every TempDir lives, and the same place as a Windows program under
// Wine names it (the host's root is Wine's drive Z:).
constexpr char kTempRoot[] = "/tmp/zolt-e2e-";
constexpr char kWindowsTempRoot[] = "Z:\\tmp\\zolt-e2e-";

// Converts `in` between two iconv encodings; false when it cannot.
bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->assign(in.size() * 3 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out->data();
  size_t dst_left = out->size();
  bool ok = iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<size_t>(-1);
  iconv_close(cd);
  out->resize(out->size() - dst_left);
  return ok;
}

// An argument as the Windows build is given it: a TempDir path in it (also
// after an option prefix such as -o or @) in its Windows form, and the whole
// in UTF-8, from which Wine makes the Shift-JIS bytes the program sees.
std::string WindowsArgument(const std::string& arg) {
  std::string result = arg;
  size_t at = arg.find(kTempRoot);
  if (at != std::string::npos) {
    // '/' is never the second byte of a double-byte character.
    result = arg.substr(0, at) + "Z:";
    for (size_t i = at; i < arg.size(); ++i) result += arg[i] == '/' ? '\\' : arg[i];
  }
  std::string utf8;
  return Convert("UTF-8", "CP932", result, &utf8) ? utf8 : result;
}

// What the Windows build printed, as the native build would print it: CR LF
// line ends folded to LF, and TempDir paths in their host form again (only
// separators that are not the second byte of a kanji are turned back).
std::string HostText(const std::string& text) {
  std::string folded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    folded += text[i];
  }
  std::string out;
  size_t i = 0;
  for (size_t at; (at = folded.find(kWindowsTempRoot, i)) != std::string::npos;) {
    out.append(folded, i, at - i);
    size_t j = at + 2;  // past "Z:"
    bool after_lead = false;
    for (; j < folded.size(); ++j) {
      unsigned char c = static_cast<unsigned char>(folded[j]);
      if (after_lead && ((c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC))) {
        out += folded[j];
        after_lead = false;
        continue;
      }
      after_lead = false;
      if (strchr("\r\n'\" ():", c)) break;
      after_lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
      out += c == '\\' ? '/' : folded[j];
    }
    i = j;
  }
  out.append(folded, i);
  return out;
}

void SetNonBlocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Moves `fd` onto `target` in the child.
void Place(int fd, int target) {
  if (fd != target) {
    dup2(fd, target);
    close(fd);
  }
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

const std::string& ZoltPath() {
  if (g_zolt.empty()) {
    const char* env = getenv("ZOLT_BIN");
    g_zolt = env ? env : "zolt";
  }
  return g_zolt;
}

void SetZoltPath(const std::string& path) {
  g_zolt = path;
}

RunResult RunZolt(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> command;
  if (const char* runner = getenv("ZOLT_RUNNER"); runner && *runner) {
    std::istringstream words(runner);
    for (std::string w; words >> w;) command.push_back(w);
  }
  const bool win32 = TargetIsWin32();
  command.push_back(ZoltPath());
  for (const std::string& a : args) command.push_back(win32 ? WindowsArgument(a) : a);

  int out_pipe[2], err_pipe[2], in_pipe[2] = {-1, -1};
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) throw std::runtime_error("pipe");
  int master = -1, slave = -1;
  if (options.input == Input::kTerminal) {
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
      throw std::runtime_error("openpty");
  }
  if (options.input == Input::kPipe && pipe(in_pipe) != 0) throw std::runtime_error("pipe");

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    setsid();
    int in_fd = -1;
    switch (options.input) {
      case Input::kTerminal:
        close(master);
        ioctl(slave, TIOCSCTTY, 0);
        in_fd = slave;
        break;
      case Input::kDevNull:
        in_fd = open("/dev/null", O_RDONLY);
        break;
      case Input::kFile:
        in_fd = open(options.stdin_path.c_str(), O_RDONLY);
        break;
      case Input::kPipe:
        close(in_pipe[1]);
        in_fd = in_pipe[0];
        break;
    }
    if (in_fd < 0) _exit(125);
    Place(in_fd, 0);
    int out_fd = out_pipe[1];
    if (options.output == Output::kDevNull) out_fd = open("/dev/null", O_WRONLY);
    if (options.output == Output::kFile)
      out_fd = open(options.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (options.output == Output::kAppend)
      out_fd = open(options.stdout_path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
    if (out_fd < 0) _exit(125);
    close(out_pipe[0]);
    close(err_pipe[0]);
    Place(out_fd, 1);
    if (out_fd != out_pipe[1]) close(out_pipe[1]);
    Place(err_pipe[1], 2);
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(125);
    for (int fd : options.closed) close(fd);
    // Wine takes the system code page from the locale: Shift-JIS, as on a
    // Japanese Windows. The Windows build itself does not read the locale.
    setenv("LC_ALL", win32 ? "ja_JP.UTF-8" : "C", 1);
    for (const std::string& e : options.env) putenv(strdup(e.c_str()));
    signal(SIGPIPE, SIG_DFL);
    std::vector<char*> argv;
    for (std::string& a : command) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }

  close(out_pipe[1]);
  close(err_pipe[1]);
  if (slave >= 0) close(slave);
  RunResult result;
  std::string to_write = options.stdin_data;
  size_t written = 0;
  if (options.input == Input::kPipe) {
    close(in_pipe[0]);
    SetNonBlocking(in_pipe[1]);
    if (to_write.empty()) {
      close(in_pipe[1]);
      in_pipe[1] = -1;
    }
  }
  // Pump the pipes until both output pipes are closed.
  bool out_open = true, err_open = true;
  while (out_open || err_open) {
    struct pollfd fds[3];
    int n = 0;
    int out_i = -1, err_i = -1, in_i = -1, pty_i = -1;
    if (out_open) fds[out_i = n++] = {out_pipe[0], POLLIN, 0};
    if (err_open) fds[err_i = n++] = {err_pipe[0], POLLIN, 0};
    if (options.input == Input::kPipe && in_pipe[1] >= 0)
      fds[in_i = n++] = {in_pipe[1], POLLOUT, 0};
    else if (master >= 0)
      fds[pty_i = n++] = {master, POLLIN, 0};
    int ready = poll(fds, static_cast<nfds_t>(n), 30000);
    if (ready == 0) kill(pid, SIGKILL);  // a run that hangs fails instead
    if (ready <= 0) break;
    char buf[65536];
    if (out_i >= 0 && fds[out_i].revents) {
      ssize_t r = read(out_pipe[0], buf, sizeof buf);
      if (r > 0)
        result.out.append(buf, static_cast<size_t>(r));
      else
        out_open = false;
    }
    if (err_i >= 0 && fds[err_i].revents) {
      ssize_t r = read(err_pipe[0], buf, sizeof buf);
      if (r > 0)
        result.err.append(buf, static_cast<size_t>(r));
      else
        err_open = false;
    }
    if (in_i >= 0 && fds[in_i].revents) {
      ssize_t w = write(in_pipe[1], to_write.data() + written, to_write.size() - written);
      if (w > 0) written += static_cast<size_t>(w);
      if (w < 0 || written == to_write.size()) {
        close(in_pipe[1]);
        in_pipe[1] = -1;
      }
    }
    if (pty_i >= 0 && fds[pty_i].revents) {
      ssize_t r = read(master, buf, sizeof buf);  // nothing is expected; drain
      if (r <= 0) {
        close(master);
        master = -1;
      }
    }
  }
  if (in_pipe[1] >= 0) close(in_pipe[1]);
  close(out_pipe[0]);
  close(err_pipe[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (master >= 0) close(master);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.err_raw = result.err;
  if (win32) result.err = HostText(result.err);
  return result;
}

int StartZolt(const std::vector<std::string>& args, const std::string& cwd, int out_fd) {
  std::vector<std::string> command;
  if (const char* runner = getenv("ZOLT_RUNNER"); runner && *runner) {
    std::istringstream words(runner);
    for (std::string w; words >> w;) command.push_back(w);
  }
  command.push_back(ZoltPath());
  command.insert(command.end(), args.begin(), args.end());
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    Place(null, 0);
    Place(out_fd, 1);
    int err = open("/dev/null", O_WRONLY);
    Place(err, 2);
    if (chdir(cwd.c_str()) != 0) _exit(125);
    setenv("LC_ALL", "C", 1);
    signal(SIGPIPE, SIG_DFL);
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

int WaitZolt(int pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TempDir::TempDir() {
  char tmpl[] = "/tmp/zolt-e2e-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::string cmd = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  if (system(cmd.c_str()) != 0) {
  }
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return "<missing>";
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* d = opendir(path.c_str())) {
    while (struct dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Sjis(const std::string& utf8) {
  std::string out;
  if (!Convert("CP932", "UTF-8", utf8, &out)) throw std::runtime_error("iconv: " + utf8);
  return out;
}

std::string Banner() {
  return Sjis("Ｚolt Ｋit Ver2.15 [WIN32 版] (C) Zolt Kit developers\n");
}

}  // namespace e2e
