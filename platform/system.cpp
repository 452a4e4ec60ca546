#include "platform/system.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace platform {

std::string ProgramFilePath() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(length));
}

std::string ProgramDirectory() {
    std::string path = ProgramFilePath();
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

uint64_t MillisecondClock() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t TickCount() {
    return static_cast<uint32_t>(MillisecondClock());
}

void SleepMilliseconds(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string SystemErrorText(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return "Zugriff verweigert";
    case ENOENT:
        return "Datei oder Verzeichnis nicht gefunden";
    case ENOTDIR:
        return "Pfad nicht gefunden";
    case EISDIR:
        return "Der Name bezeichnet ein Verzeichnis";
    case EEXIST:
        return "Die Datei ist bereits vorhanden";
    case ENOTEMPTY:
        return "Das Verzeichnis ist nicht leer";
    case EROFS:
        return "Der Datenträger ist schreibgeschützt";
    case ENOSPC:
    case EDQUOT:
        return "Nicht genügend Speicherplatz auf dem Datenträger";
    case EFBIG:
        return "Die Datei ist zu groß";
    case ENAMETOOLONG:
        return "Der Dateiname ist zu lang";
    case ELOOP:
        return "Zu viele symbolische Verknüpfungen";
    case EXDEV:
        return "Die Datei kann nicht auf einen anderen Datenträger verschoben werden";
    case ETXTBSY:
    case EBUSY:
        return "Die Datei oder das Gerät wird von einem anderen Prozess verwendet";
    case EMFILE:
    case ENFILE:
        return "Zu viele geöffnete Dateien";
    case ENOMEM:
        return "Nicht genügend Arbeitsspeicher";
    case EIO:
        return "E/A-Fehler";
    case ENXIO:
    case ENODEV:
        return "Das Gerät ist nicht vorhanden";
    case ENOTTY:
        return "Das Gerät ist dafür nicht geeignet";
    case EBADF:
        return "Ungültiges Handle";
    case EINVAL:
        return "Ungültiger Parameter";
    case EAGAIN:
        return "Die Ressource ist vorübergehend nicht verfügbar";
    case EINTR:
        return "Der Vorgang wurde unterbrochen";
    case ETIMEDOUT:
        return "Zeitüberschreitung";
    case 0:
        return "Kein Fehler";
    default:
        return "Systemfehler " + std::to_string(code);
    }
}

int WriteAccessError(const std::string& path) {
    // The effective ids, as an open for writing would use them (plain access() takes the
    // real ones).
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

int ReadAll(int fd, std::string& content) {
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        content.append(buffer, static_cast<size_t>(n));
    }
}

int WriteAll(int fd, std::string_view data, size_t* written) {
    size_t local = 0;
    size_t& done = written ? *written : local;
    done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        done += static_cast<size_t>(n);
    }
    return 0;
}

int ReadWholeFile(const std::string& path, std::string& content) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    content.clear();
    const int error = ReadAll(fd, content);
    ::close(fd);
    return error;
}

int WriteWholeFile(const std::string& path, std::string_view data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    if (const int error = WriteAll(fd, data)) {
        ::close(fd);
        return error;
    }
    return ::close(fd) == 0 ? 0 : errno;
}

} // namespace platform
