// The local web server, driven by a small HTTP client over loopback sockets.
#include "TestSupport.h"

#include "Library/BasicWebServer/BasicWebServer.h"

#include <wx/dir.h>
#include <wx/filefn.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace
{
struct Reply
{
    bool received = false;
    int status = 0;
    std::string headers;
    std::string body;
    long long contentLength = -1;
};

int Connect(int port, const char* sourceAddress = nullptr)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (sourceAddress)
    {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, sourceAddress, &local.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        {
            ::close(fd);
            return -1;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends the bytes as they are and reads until the server closes.
std::string Exchange(int port, const std::string& request, const char* sourceAddress = nullptr)
{
    const int fd = Connect(port, sourceAddress);
    if (fd < 0)
        return std::string();
    size_t sent = 0;
    while (sent < request.size())
    {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    // Nothing more will come, so a cut-off request is not left waiting for the rest.
    ::shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[16384];
    for (;;)
    {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return answer;
}

Reply Parse(const std::string& answer)
{
    Reply reply;
    const size_t end = answer.find("\r\n\r\n");
    if (answer.compare(0, 9, "HTTP/1.1 ") != 0 || end == std::string::npos)
        return reply;
    reply.received = true;
    reply.status = std::atoi(answer.c_str() + 9);
    reply.headers = answer.substr(0, end + 2);
    reply.body = answer.substr(end + 4);
    const size_t length = reply.headers.find("Content-Length: ");
    if (length != std::string::npos)
        reply.contentLength = std::atoll(reply.headers.c_str() + length + 16);
    return reply;
}

Reply Get(int port, const std::string& target, const std::string& host = "127.0.0.1",
          const char* sourceAddress = nullptr)
{
    return Parse(Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n",
                          sourceAddress));
}

int PortOf(CBasicWebServer* server)
{
    int port = 0;
    server->GetPort(port);
    return port;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// A running server, stopped when the test ends.
class ServerTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        root = ProgramDir() + wxS("/site");
        WriteTextFile(root + wxS("/page.html"), "<html>page</html>\n");
        server = new CBasicWebServer();
        ASSERT_TRUE(server->IsListening());
        ASSERT_EQ(wxTHREAD_NO_ERROR, server->Run());
        server->SetRoot(root);
        port = PortOf(server);
    }
    void TearDown() override
    {
        CBasicWebServer::StopAndDelete(server);
        CoreTest::TearDown();
    }

    wxString root;
    CBasicWebServer* server = nullptr;
    int port = 0;
};
}

TEST_F(ServerTest, ServesFilesUncachedAndNeverListsAFolder)
{
    EXPECT_GE(port, 32768);
    EXPECT_LE(port, 65535);
    const Reply page = Get(port, "/page.html");
    ASSERT_TRUE(page.received);
    EXPECT_EQ(200, page.status);
    EXPECT_EQ("<html>page</html>\n", page.body);
    EXPECT_NE(std::string::npos, page.headers.find("Cache-Control: no-store"));
    EXPECT_NE(std::string::npos, page.headers.find("Content-Type: text/html"));

    WriteTextFile(root + wxS("/sub/listed.txt"), "x");
    for (const char* folder : {"/", "/sub/", "/sub"})
    {
        const Reply listing = Get(port, folder);
        EXPECT_NE(200, listing.status) << folder;
        EXPECT_EQ(std::string::npos, listing.body.find("listed.txt")) << folder;
        EXPECT_EQ(std::string::npos, listing.body.find("page.html")) << folder;
    }
    EXPECT_EQ(404, Get(port, "/missing.html").status);

    const Reply post = Parse(Exchange(port, "POST /page.html HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n\r\n"));
    EXPECT_EQ(405, post.status);
}

TEST_F(ServerTest, NoRequestReachesAFileOutsideTheRoot)
{
    const wxString outside = ProgramDir() + wxS("/outside");
    WriteTextFile(outside + wxS("/secret.txt"), "TOPSECRET");
    WriteTextFile(ProgramDir() + wxS("/secret.txt"), "TOPSECRET");
    ASSERT_EQ(0, symlink((outside + wxS("/secret.txt")).fn_str(), (root + wxS("/link.txt")).fn_str()));
    ASSERT_EQ(0, symlink(outside.fn_str(), (root + wxS("/linkdir")).fn_str()));
    // A link that stays inside the root is an ordinary file.
    ASSERT_EQ(0, symlink((root + wxS("/page.html")).fn_str(), (root + wxS("/alias.html")).fn_str()));

    const std::string absolute = std::string((outside + wxS("/secret.txt")).fn_str());
    const std::string attempts[] = {"/../secret.txt",
                                    "/%2e%2e/secret.txt",
                                    "/%2E%2E/secret.txt",
                                    "/..%2fsecret.txt",
                                    "/..%2Foutside/secret.txt",
                                    "//../secret.txt",
                                    "/.//..//secret.txt",
                                    "/..\\secret.txt",
                                    "/%5c..%5csecret.txt",
                                    "/sub/../../secret.txt",
                                    absolute,
                                    "/" + absolute,
                                    "http://127.0.0.1/../secret.txt",
                                    "/link.txt",
                                    "/linkdir/secret.txt",
                                    "/linkdir/"};
    for (const std::string& target : attempts)
    {
        const std::string answer = Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        EXPECT_EQ(std::string::npos, answer.find("TOPSECRET")) << target;
        EXPECT_NE(200, Parse(answer).status) << target;
    }
    EXPECT_EQ(200, Get(port, "/alias.html").status);
}

TEST_F(ServerTest, OnlyLoopbackHostNamesAndClientsAreAnswered)
{
    const std::string portText = std::to_string(port);
    for (const std::string& host : std::vector<std::string>{"127.0.0.1", "127.0.0.1:" + portText, "localhost", "LOCALHOST:" + portText})
        EXPECT_EQ(200, Get(port, "/page.html", host).status) << host;
    for (const std::string& host : std::vector<std::string>{"evil.example", "evil.example:" + portText, "127.0.0.1.evil.example",
                                   "localhost.evil.example", "127.0.0.1:1", "", "[::1]"})
        EXPECT_EQ(403, Get(port, "/page.html", host).status) << host;
    // Without any Host header a browser cannot have sent it.
    EXPECT_EQ(403, Parse(Exchange(port, "GET /page.html HTTP/1.0\r\n\r\n")).status);

    // Another loopback address is another machine as far as the access list goes.
    const Reply foreign = Get(port, "/page.html", "127.0.0.1", "127.0.0.2");
    EXPECT_NE(200, foreign.status);
    EXPECT_EQ(std::string::npos, foreign.body.find("page"));
}

TEST_F(ServerTest, ANewRootServesTheNextRequest)
{
    const wxString other = ProgramDir() + wxS("/other site");
    WriteTextFile(other + wxS("/page.html"), "other");
    EXPECT_EQ(RC_OK, server->SetRoot(other));
    EXPECT_EQ("other", Get(port, "/page.html").body);
    server->SetRoot(root);
    EXPECT_EQ("<html>page</html>\n", Get(port, "/page.html").body);
    EXPECT_TRUE(log->Contains(wxS("Web server root has been changed to ") + root));
}

TEST_F(CoreTest, ServersStopAtOnceAndATakenPortIsNotUsed)
{
    std::vector<CBasicWebServer*> servers;
    for (int i = 0; i < 4; ++i)
    {
        servers.push_back(new CBasicWebServer());
        servers.back()->Run();
    }
    std::vector<int> ports;
    for (CBasicWebServer* server : servers)
    {
        ports.push_back(PortOf(server));
        const auto start = std::chrono::steady_clock::now();
        CBasicWebServer::StopAndDelete(server);
        EXPECT_LT(MillisecondsSince(start), 300.0);
    }
    for (int port : ports)
        EXPECT_EQ(-1, Connect(port));

    // The same seed draws the same port; with that port taken the server must not
    // claim it.
    srand(4711);
    CBasicWebServer* first = new CBasicWebServer();
    const int drawn = PortOf(first);
    CBasicWebServer::StopAndDelete(first);

    const int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(drawn));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, ::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, ::listen(blocker, 1));

    srand(4711);
    log->Clear();
    CBasicWebServer* second = new CBasicWebServer();
    second->Run();
    EXPECT_TRUE(second->IsListening());
    EXPECT_NE(drawn, PortOf(second));
    EXPECT_TRUE(log->Contains(wxString::Format(wxS("Port %d is not available"), drawn)));
    WriteTextFile(ProgramDir() + wxS("/here.txt"), "here");
    EXPECT_EQ("here", Get(PortOf(second), "/here.txt").body);
    CBasicWebServer::StopAndDelete(second);
    ::close(blocker);
}

namespace
{
void WriteFont(const wxString& path, size_t size)
{
    WriteTextFile(path, std::string("FWS") + std::string(size, 'f'));
}
}

// Many clients read the embedded preview page while edits rewrite it; afterwards the
// server shrugs off garbage.
TEST_F(CoreTest, PageRewrittenUnderLoadIsAlwaysServedWhole)
{
    WriteFont(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), 20000);
    WriteTextFile(ProgramDir() + wxS("/sIFR/sifr.js"), "// sifr\n");
    ASSERT_EQ(RC_OK, InitCore());
    const wxString url = Core()->GetEmbeddedPreviewUrl();
    ASSERT_TRUE(url.StartsWith(wxS("http://127.0.0.1:")));
    const int port = ParseInt(url.AfterFirst(':').AfterFirst(':'));
    const std::string target = std::string("/") + std::string(url.AfterFirst(':').AfterFirst(':').AfterFirst('/').utf8_str());
    const wxString pagePath = Core()->GetEmbeddedPreviewPath();

    std::set<std::string> versions{ReadTextFile(pagePath)};
    std::atomic<int> incomplete{0};
    std::atomic<int> answered{0};
    std::mutex bodiesLock;
    std::vector<std::string> bodies;
    std::vector<std::thread> clients;
    for (int c = 0; c < 50; ++c)
        clients.emplace_back([&] {
            for (int i = 0; i < 40; ++i)
            {
                const Reply reply = Get(port, target);
                if (!reply.received || reply.status != 200 ||
                    reply.contentLength != static_cast<long long>(reply.body.size()))
                {
                    ++incomplete;
                    continue;
                }
                ++answered;
                std::lock_guard<std::mutex> guard(bodiesLock);
                bodies.push_back(reply.body);
            }
        });
    for (int edit = 0; edit < 100; ++edit)
    {
        Core()->SetUserText(wxString::Format(wxS("Edit number %d %s"), edit, wxString(wxS('x'), edit * 37)));
        versions.insert(ReadTextFile(pagePath));
    }
    for (std::thread& client : clients)
        client.join();
    EXPECT_EQ(0, incomplete.load());
    EXPECT_EQ(2000, answered.load());
    EXPECT_GT(versions.size(), 90u);
    int unknown = 0;
    for (const std::string& body : bodies)
        unknown += versions.count(body) ? 0 : 1;
    EXPECT_EQ(0, unknown);

    std::mt19937 random(12345);
    const std::string broken[] = {"GET", "GET /", "GET / HTTP/1.1\r\nHost: 127.0.0.1", "\r\n\r\n",
                                  "GET /../../../../etc/passwd HTTP/1.1\r\n\r\n",
                                  "GET / HTTP/9.9\r\nHost: 127.0.0.1\r\n\r\n",
                                  "GET " + std::string(20000, 'a') + " HTTP/1.1\r\n\r\n",
                                  "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: -5\r\n\r\n",
                                  "GET / HTTP/1.1\r\n" + std::string(200, 'X') + ": y\r\n\r\n"};
    std::vector<std::thread> attackers;
    for (int a = 0; a < 10; ++a)
    {
        const unsigned seed = random();
        attackers.emplace_back([&, seed, a] {
            std::mt19937 bytes(seed);
            for (int i = 0; i < 50; ++i)
            {
                std::string request;
                if ((i + a) % 2 == 0)
                    request = broken[(i + a) % (sizeof broken / sizeof broken[0])];
                else
                    for (int n = bytes() % 600; n > 0; --n)
                        request += static_cast<char>(bytes() & 0xFF);
                // Half of them hang up without waiting for an answer.
                if (i % 2 == 0)
                {
                    const int fd = Connect(port);
                    if (fd >= 0)
                    {
                        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
                        ::close(fd);
                    }
                }
                else
                    Exchange(port, request);
            }
        });
    }
    for (std::thread& attacker : attackers)
        attacker.join();
    const Reply after = Get(port, target);
    EXPECT_EQ(200, after.status);
    EXPECT_TRUE(versions.count(after.body));
}

TEST_F(CoreTest, PreviewsServeTheirPagesAndReleaseStopsEveryServer)
{
    WriteFont(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), 100);
    ASSERT_EQ(RC_OK, InitCore());
    const wxString embedded = Core()->GetEmbeddedPreviewUrl();
    EXPECT_TRUE(embedded.Matches(wxS("http://127.0.0.1:*/glypharaembeddedpreview*.html"))) << embedded;
    EXPECT_EQ(1u, Core()->GetWebServerCount());

    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(wxEmptyString, false));
    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(wxEmptyString, false));
    ASSERT_EQ(2u, openedUrls.size());
    EXPECT_EQ(3u, Core()->GetWebServerCount());
    const int first = ParseInt(openedUrls[0].AfterFirst(':').AfterFirst(':'));
    const int second = ParseInt(openedUrls[1].AfterFirst(':').AfterFirst(':'));
    EXPECT_NE(first, second);
    EXPECT_EQ(openedUrls[0].AfterLast('/'), openedUrls[1].AfterLast('/'));
    EXPECT_TRUE(openedUrls[0].AfterLast('/').Matches(wxS("glypharapreview*.html")));
    EXPECT_TRUE(log->Contains(wxS("Previewing with default browser at: ") + openedUrls[1]));
    const std::string page = std::string(openedUrls[0].AfterLast('/').utf8_str());
    const std::string written = ReadTextFile(Core()->GetBrowserPreviewPath());
    EXPECT_EQ(written, Get(first, "/" + page).body);
    EXPECT_EQ(written, Get(second, "/" + page).body);

    // An existing page is served from its own folder, untouched; its name is made a
    // valid address.
    const wxString site = ProgramDir() + wxS("/My Site");
    WriteTextFile(site + wxS("/my index.html"), "mine");
    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(site + wxS("/my index.html"), false));
    ASSERT_EQ(3u, openedUrls.size());
    EXPECT_TRUE(openedUrls[2].EndsWith(wxS("/my%20index.html"))) << openedUrls[2];
    const int third = ParseInt(openedUrls[2].AfterFirst(':').AfterFirst(':'));
    EXPECT_EQ("mine", Get(third, "/my%20index.html").body);
    wxArrayString siteFiles;
    EXPECT_EQ(1u, wxDir::GetAllFiles(site, &siteFiles));

    const auto start = std::chrono::steady_clock::now();
    Core()->Release();
    EXPECT_LT(MillisecondsSince(start), 1500.0);
    EXPECT_EQ(0u, Core()->GetWebServerCount());
    EXPECT_EQ(-1, Connect(first));
    EXPECT_EQ(-1, Connect(third));
}
