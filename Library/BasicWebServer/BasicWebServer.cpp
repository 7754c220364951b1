#include "Library/BasicWebServer/BasicWebServer.h"

#include "trace/ResultCodes.h"
#include "trace/TraceSystem.h"

#include <civetweb.h>

#include <wx/filefn.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
const char* const kAccessList = "-0.0.0.0/0,+127.0.0.1";
const char* const kLoopbackAddress = "127.0.0.1";
// A taken port is replaced by a new draw this many times before giving up.
const int kPortAttempts = 20;
// Every preview keeps its server until the program ends, and one browser on the local
// machine asks for one page and a few files at a time: a small pool serves it, and
// further connections wait in the listen queue.
const char* const kWorkerThreads = "2";

const char* const kNoCacheHeaders = "Cache-Control: no-store, no-cache, must-revalidate, max-age=0\r\n"
                                    "Pragma: no-cache\r\n"
                                    "Expires: 0\r\n"
                                    "X-Content-Type-Options: nosniff\r\n";

void InitLibraryOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { mg_init_library(0); });
}

// rand() + 32768, drawn again until the sum is a port: the accepted draws are spread
// evenly over 0..32767. With glibc's RAND_MAX of 2^31 - 1 that takes some 65536 draws;
// when RAND_MAX + 1 is a multiple of 32768 the low bits of one draw are spread the same.
int DrawPort()
{
    if constexpr ((static_cast<long long>(RAND_MAX) + 1) % 32768 == 0)
        return 32768 + rand() % 32768;
    long port = static_cast<long>(rand()) + 32768L;
    while (port < 1024 || port > 65535)
        port = static_cast<long>(rand()) + 32768L;
    return static_cast<int>(port);
}

// civetweb would otherwise write its complaints about bad requests to stderr.
int QuietLog(const mg_connection*, const char*)
{
    return 1;
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    return mg_strcasecmp(a.c_str(), b) == 0;
}

// True for "127.0.0.1" and "localhost", alone or followed by our own port. Any other
// name reached us through a name that merely resolves here (DNS rebinding).
bool IsLoopbackHost(const char* header, int port)
{
    if (!header)
        return false;
    std::string host(header);
    const size_t colon = host.find(':');
    if (colon != std::string::npos)
    {
        const std::string portText = host.substr(colon + 1);
        if (portText != std::to_string(port))
            return false;
        host.erase(colon);
    }
    return host == kLoopbackAddress || EqualsNoCase(host, "localhost");
}

// The canonical path of an existing file or folder, or empty.
std::string RealPath(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved)
        return std::string();
    std::string result(resolved);
    free(resolved);
    return result;
}

bool IsUnder(const std::string& path, const std::string& root)
{
    if (root == "/")
        return !path.empty() && path[0] == '/';
    return path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/';
}

// Splits a decoded request path into clean segments; false when it tries to climb out
// or uses a separator of another system.
bool CleanSegments(const char* uri, std::string& relative)
{
    if (!uri || uri[0] != '/')
        return false;
    relative.clear();
    const std::string text(uri);
    if (text.find('\\') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find('/', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string segment = text.substr(start, end - start);
        if (segment == "..")
            return false;
        if (!segment.empty() && segment != ".")
        {
            if (!relative.empty())
                relative += '/';
            relative += segment;
        }
        start = end + 1;
    }
    return true;
}

void WakeListener(int port)
{
    if (port <= 0)
        return;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
}

int SendStatus(mg_connection* connection, int status, const char* reason)
{
    const std::string body = std::to_string(status) + " " + reason + "\n";
    mg_printf(connection,
              "HTTP/1.1 %d %s\r\n"
              "Content-Type: text/plain; charset=utf-8\r\n"
              "Content-Length: %u\r\n"
              "%s"
              "Connection: close\r\n\r\n",
              status, reason, static_cast<unsigned>(body.size()), kNoCacheHeaders);
    const mg_request_info* info = mg_get_request_info(connection);
    if (!info || !info->request_method || strcmp(info->request_method, "HEAD") != 0)
        mg_write(connection, body.data(), body.size());
    return status;
}

bool WriteAll(mg_connection* connection, const char* data, size_t size)
{
    while (size > 0)
    {
        const int written = mg_write(connection, data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Sends an already opened regular file. The descriptor keeps the file that was current
// when it was opened, so a file replaced meanwhile still goes out whole.
int SendFile(mg_connection* connection, int fd, const struct stat& status, const std::string& path, bool head)
{
    const char* mime = mg_get_builtin_mime_type(path.c_str());
    const bool text = strncmp(mime, "text/", 5) == 0 || strcmp(mime, "application/javascript") == 0;
    mg_printf(connection,
              "HTTP/1.1 200 OK\r\n"
              "Content-Type: %s%s\r\n"
              "Content-Length: %lld\r\n"
              "%s"
              "Connection: close\r\n\r\n",
              mime, text ? "; charset=utf-8" : "", static_cast<long long>(status.st_size), kNoCacheHeaders);
    if (head)
        return 200;
    std::vector<char> buffer(65536);
    long long left = status.st_size;
    while (left > 0)
    {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        if (!WriteAll(connection, buffer.data(), static_cast<size_t>(got)))
            break;
        left -= got;
    }
    return 200;
}
}

struct CBasicWebServer::Impl
{
    // Set by the constructor; taken by whichever of the server thread and the destructor
    // stops the server, while the main thread may be asking whether it listens.
    std::atomic<mg_context*> context{nullptr};
    int port = 0;

    std::mutex rootLock;
    std::string root; // in the file system's encoding

    std::mutex stopLock;
    std::condition_variable stopSignal;
    bool stopRequested = false;
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};

    std::string Root()
    {
        std::lock_guard<std::mutex> guard(rootLock);
        return root;
    }

    void RequestStop()
    {
        {
            std::lock_guard<std::mutex> guard(stopLock);
            stopRequested = true;
        }
        stopSignal.notify_all();
    }

    void WaitForStop()
    {
        std::unique_lock<std::mutex> guard(stopLock);
        stopSignal.wait(guard, [this] { return stopRequested; });
    }

    int Answer(mg_connection* connection);
    int ServePath(mg_connection* connection, const std::string& canonicalRoot, const std::string& relative,
                  bool head, bool allowIndex);
};

int CBasicWebServer::Impl::Answer(mg_connection* connection)
{
    const mg_request_info* info = mg_get_request_info(connection);
    if (!info)
        return SendStatus(connection, 400, "Bad Request");
    // The access list has already turned other clients away; this holds even if it is
    // ever loosened.
    if (strcmp(info->remote_addr, kLoopbackAddress) != 0)
        return SendStatus(connection, 403, "Forbidden");
    if (!IsLoopbackHost(mg_get_header(connection, "Host"), port))
    {
        TS_LOG_AS("CBasicWebServer::Answer", TS_WARNING, wxS("Request for a foreign host refused"));
        return SendStatus(connection, 403, "Forbidden");
    }
    const bool head = info->request_method && strcmp(info->request_method, "HEAD") == 0;
    if (!head && (!info->request_method || strcmp(info->request_method, "GET") != 0))
        return SendStatus(connection, 405, "Method Not Allowed");

    std::string relative;
    if (!CleanSegments(info->local_uri_raw, relative))
        return SendStatus(connection, 403, "Forbidden");

    const std::string canonicalRoot = RealPath(Root());
    if (canonicalRoot.empty())
        return SendStatus(connection, 404, "Not Found");
    return ServePath(connection, canonicalRoot, relative, head, true);
}

int CBasicWebServer::Impl::ServePath(mg_connection* connection, const std::string& canonicalRoot,
                                     const std::string& relative, bool head, bool allowIndex)
{
    const std::string requested = relative.empty() ? canonicalRoot : canonicalRoot + "/" + relative;
    // Symbolic links are followed only as far as they stay below the root.
    const std::string canonical = RealPath(requested);
    if (canonical.empty())
        return SendStatus(connection, 404, "Not Found");
    if (canonical != canonicalRoot && !IsUnder(canonical, canonicalRoot))
        return SendStatus(connection, 403, "Forbidden");

    const int fd = ::open(canonical.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return SendStatus(connection, errno == ENOENT ? 404 : 403, errno == ENOENT ? "Not Found" : "Forbidden");
    struct stat status;
    if (fstat(fd, &status) != 0)
    {
        ::close(fd);
        return SendStatus(connection, 403, "Forbidden");
    }
    if (S_ISDIR(status.st_mode))
    {
        ::close(fd);
        // Folders are never listed; a page of their own may stand in for them.
        if (allowIndex)
        {
            const std::string folder = canonical == canonicalRoot ? std::string() : canonical.substr(canonicalRoot.size() + 1);
            const std::string index = folder.empty() ? "index.html" : folder + "/index.html";
            if (access((canonicalRoot + "/" + index).c_str(), F_OK) == 0)
                return ServePath(connection, canonicalRoot, index, head, false);
        }
        return SendStatus(connection, 403, "Forbidden");
    }
    if (!S_ISREG(status.st_mode))
    {
        ::close(fd);
        return SendStatus(connection, 403, "Forbidden");
    }
    const int result = SendFile(connection, fd, status, canonical, head);
    ::close(fd);
    return result;
}

int CBasicWebServer::AnswerError(mg_connection* connection, int status, const char*)
{
    // civetweb's own error page would stamp a date with gmtime(), which its worker threads
    // share; the refusal is answered like any other.
    SendStatus(connection, status, mg_get_response_code_text(connection, status));
    return 0;
}

int CBasicWebServer::BeginRequest(mg_connection* connection)
{
    const mg_request_info* info = mg_get_request_info(connection);
    auto* impl = static_cast<Impl*>(info ? info->user_data : nullptr);
    if (!impl)
        return SendStatus(connection, 500, "Internal Server Error");
    // Every request is answered here, so civetweb itself never maps a URI to a file.
    return impl->Answer(connection);
}

CBasicWebServer::CBasicWebServer() : wxThread(wxTHREAD_JOINABLE), m_impl(new Impl)
{
    InitLibraryOnce();
    m_impl->root = std::string(wxGetCwd().fn_str());

    mg_callbacks callbacks;
    memset(&callbacks, 0, sizeof callbacks);
    callbacks.begin_request = BeginRequest;
    callbacks.log_message = QuietLog;
    callbacks.http_error = AnswerError;

    const std::string documentRoot = m_impl->root;
    for (int attempt = 0; attempt < kPortAttempts && !m_impl->context; ++attempt)
    {
        const int port = DrawPort();
        const std::string listening = std::string(kLoopbackAddress) + ":" + std::to_string(port);
        const char* options[] = {"listening_ports",
                                 listening.c_str(),
                                 "document_root",
                                 documentRoot.c_str(),
                                 "enable_directory_listing",
                                 "no",
                                 "access_control_list",
                                 kAccessList,
                                 "num_threads",
                                 kWorkerThreads,
                                 "listen_backlog",
                                 "128",
                                 "request_timeout_ms",
                                 "10000",
                                 "enable_keep_alive",
                                 "no",
                                 nullptr};
        m_impl->port = port;
        m_impl->context = mg_start(&callbacks, m_impl, options);
        if (!m_impl->context)
            TS_LOG_AS("CBasicWebServer::CBasicWebServer", TS_WARNING,
                      wxString::Format(wxS("Port %d is not available, drawing another one"), port));
    }

    if (m_impl->context)
        TS_LOG_AS("CBasicWebServer::CBasicWebServer", TS_MESSAGE,
                  wxString::Format(wxS("Web server serving working directory has been launched on port %d"),
                                   m_impl->port));
    else
    {
        m_impl->port = 0;
        TS_LOG_AS("CBasicWebServer::CBasicWebServer", TS_ERROR, wxS("No free port found for the web server"));
    }
}

CBasicWebServer::~CBasicWebServer()
{
    // Only a server whose thread never ran still owns its context here.
    if (mg_context* context = m_impl->context.exchange(nullptr))
        mg_stop(context);
    delete m_impl;
}

int CBasicWebServer::SetRoot(const wxString& root)
{
    TS_FUNCTION("CBasicWebServer::SetRoot");
    {
        std::lock_guard<std::mutex> guard(m_impl->rootLock);
        m_impl->root = std::string(root.fn_str());
    }
    TS_RETURN(RC_OK, wxS("Web server root has been changed to ") + root);
}

int CBasicWebServer::GetPort(int& port)
{
    port = m_impl->port;
    return RC_OK;
}

bool CBasicWebServer::IsListening() const
{
    return m_impl->context.load() != nullptr;
}

wxString CBasicWebServer::GetRoot() const
{
    return wxString(m_impl->Root().c_str(), *wxConvFileName);
}

wxThread::ExitCode CBasicWebServer::Entry()
{
    // civetweb answers on threads of its own; this one owns the context and ends it
    // as soon as a stop is asked for.
    m_impl->entered = true;
    m_impl->WaitForStop();
    if (mg_context* context = m_impl->context.exchange(nullptr))
        mg_stop(context);
    m_impl->finished = true;
    return static_cast<ExitCode>(nullptr);
}

void CBasicWebServer::StopAndDelete(CBasicWebServer* server)
{
    if (!server)
        return;
    server->m_impl->RequestStop();
    // A server whose thread never ran is stopped by that thread all the same, which
    // keeps the stop quick.
    if (!server->IsAlive() && !server->m_impl->entered && server->m_impl->context)
        server->Run();
    // A joinable thread that has already ended must still be joined.
    if (server->IsAlive() || server->m_impl->entered)
    {
        // civetweb notices a stop only when its listening poll wakes, which it does on
        // its own every two seconds; a connection wakes it at once.
        for (int attempt = 0; attempt < 400 && !server->m_impl->finished; ++attempt)
        {
            if (server->m_impl->entered)
                WakeListener(server->m_impl->port);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        server->Wait();
    }
    delete server;
}
