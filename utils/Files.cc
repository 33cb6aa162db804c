// Directory listings and existence tests, the environment, the program's
// own directory and the host name.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "MemMgr/MemMgr.h"
#include "utils/utils.h"

namespace {

[[noreturn]] void OutOfMemory() {
  errno = ENOMEM;
  SysError("Unable to allocate memory");
}

// The directory part of a path, by the same rule as StripFn but without
// its length limit: "." without a slash, "/" for a top-level name.
void DirPart(char* path) {
  char* slash = strrchr(path, '/');
  if (!slash) {
    strcpy(path, ".");
  } else if (slash == path) {
    path[1] = '\0';
  } else {
    *slash = '\0';
  }
}

// A bare name was found by the shell along PATH, never in the current
// directory (where anyone may have put a program of that name): the first
// PATH entry holding an executable file of that name, made absolute.
bool FoundOnPath(const char* name, char* out, size_t size) {
  const char* path = getenv("PATH");
  if (!path) return false;
  for (const char* p = path;; ++p) {
    const char* end = strchr(p, ':');
    size_t len = end ? static_cast<size_t>(end - p) : strlen(p);
    // An empty entry is the current directory; relative entries are
    // taken from it, as the shell did.
    std::string file;
    if (len == 0 || p[0] != '/') {
      char cwd[PATH_MAX];
      if (!getcwd(cwd, sizeof cwd)) cwd[0] = '\0';
      file.append(cwd).append("/");
    }
    file.append(p, len).append("/").append(name);
    struct stat st;
    if (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(file.c_str(), X_OK) == 0 &&
        file.size() < size) {
      memcpy(out, file.c_str(), file.size() + 1);
      return true;
    }
    if (!end) return false;
    p = end;
  }
}

bool RunningProgram(char* out, size_t size) {
  ssize_t n = readlink("/proc/self/exe", out, size - 1);
  if (n <= 0 || out[0] != '/') return false;
  out[n] = '\0';
  return true;
}

}  // namespace

char* ReadDir(DIR* dir, struct dirent* entry) {
  if (!dir || !entry) return nullptr;
  // readdir's record is only valid until the next read of this stream, so
  // the caller gets a copy in its own buffer.
  struct dirent* d = readdir(dir);
  if (!d) return nullptr;
  memcpy(entry, d, offsetof(struct dirent, d_name));
  snprintf(entry->d_name, sizeof entry->d_name, "%s", d->d_name);
  return entry->d_name;
}

// " name name ... " with the directory's own order, or null.
char* GetDirFileList(const char* dir) {
  DIR* d = opendir(dir ? dir : "");
  if (!d) return nullptr;
  struct dirent entry;
  size_t need = 0;
  while (char* name = ReadDir(d, &entry)) need += strlen(name) + 1;

  size_t size = need + 3;
  if (size > INT32_MAX) OutOfMemory();
  char* list = static_cast<char*>(GetMem(static_cast<int32_t>(size)));
  if (!list) OutOfMemory();
  size_t len = 0;
  rewinddir(d);
  while (char* name = ReadDir(d, &entry)) {
    size_t n = strlen(name);
    if (len + n + 3 > size) {  // the directory grew since the first pass
      size_t bigger = (len + n + 3) * 2;
      if (bigger > INT32_MAX) OutOfMemory();
      char* grown = static_cast<char*>(GetMem(static_cast<int32_t>(bigger)));
      if (!grown) OutOfMemory();
      memcpy(grown, list, len);
      PutMem(list);
      list = grown;
      size = bigger;
    }
    list[len++] = ' ';
    memcpy(list + len, name, n);
    len += n;
  }
  list[len++] = ' ';
  list[len] = '\0';
  closedir(d);
  return list;
}

int FindFile(const char* dir, const char* name) {
  if (!name || !*name) {
    // A full path: look for its last component in its directory part.
    // Trailing slashes are dropped first, so "/big/" is found like "/big";
    // a path of slashes only is the root, which lists itself as ".".
    char path[PATH_MAX];
    if (snprintf(path, sizeof path, "%s", dir ? dir : "") >= static_cast<int>(sizeof path))
      return 0;
    size_t len = strlen(path);
    if (len == 0) return 0;
    while (len > 1 && path[len - 1] == '/') path[--len] = '\0';
    if (strcmp(path, "/") == 0) return FindFile("/", ".");
    char* slash = strrchr(path, '/');
    char last[NAME_MAX + 1];
    if (snprintf(last, sizeof last, "%s", slash ? slash + 1 : path) >= static_cast<int>(sizeof last))
      return 0;
    DirPart(path);
    return FindFile(path, last);
  }
  // The listing is compared entry by entry rather than searched as a
  // token list: a name holding a blank is then found whole, and its parts
  // are not mistaken for entries of their own.
  DIR* d = opendir(dir ? dir : "");
  if (!d) return 0;
  struct dirent entry;
  int found = 0;
  while (char* entryName = ReadDir(d, &entry)) {
    if (strcmp(entryName, name) == 0) {
      found = 1;
      break;
    }
  }
  closedir(d);
  return found;
}

char* GetEnv(const char* name) {
  const char* value = name ? getenv(name) : nullptr;
  return value ? SaveStr_(value) : nullptr;
}

char* GetToolPath(const char* argv0) {
  if (!argv0) argv0 = "";
  char path[PATH_MAX + 512];
  if (argv0[0] == '/') {
    snprintf(path, sizeof path, "%s", argv0);
  } else if (!strchr(argv0, '/') &&
             (FoundOnPath(argv0, path, sizeof path) || RunningProgram(path, sizeof path))) {
    // found where the shell found it, or (started some other way) where
    // the running program is
  } else {
    // A relative name with a '/' is taken from the current directory.
    if (!getcwd(path, PATH_MAX)) strcpy(path, ".");
    size_t len = strlen(path);
    snprintf(path + len, sizeof path - len, "/%s", argv0);
  }
  DirPart(path);
  return SaveStr_(path);
}

char* GetHostname() {
  char host[256];
  if (gethostname(host, sizeof host) != 0) return nullptr;
  host[sizeof host - 1] = '\0';
  host[strcspn(host, "\n\r")] = '\0';
  return SaveStr_(host);
}
