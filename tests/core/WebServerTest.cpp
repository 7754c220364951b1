// The local web server, driven by a small HTTP client over loopback sockets.
#include "TestSupport.h"

#include "Library/BasicWebServer/BasicWebServer.h"
#include "core/GlypharaCore.h"
#include "core/TextUtil.h"

#include <wx/dir.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace
{
int Connect(int port, const char* sourceAddress = nullptr)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (sourceAddress && (inet_pton(AF_INET, sourceAddress, &address.sin_addr) != 1 ||
                          ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0))
        return ::close(fd), -1;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return ::close(fd), -1;
    return fd;
}

// Sends the bytes as they are, says that nothing more comes, and reads until the
// server closes.
std::string Exchange(int port, const std::string& request, const char* sourceAddress = nullptr)
{
    const int fd = Connect(port, sourceAddress);
    if (fd < 0)
        return std::string();
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[16384];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return answer;
}

struct Reply
{
    int status = 0; // 0: no HTTP answer at all
    std::string headers;
    std::string body;
    bool complete = false; // the body has the announced length
};

Reply Parse(const std::string& answer)
{
    Reply reply;
    const size_t end = answer.find("\r\n\r\n");
    if (answer.compare(0, 9, "HTTP/1.1 ") != 0 || end == std::string::npos)
        return reply;
    reply.status = std::atoi(answer.c_str() + 9);
    reply.headers = answer.substr(0, end + 2);
    reply.body = answer.substr(end + 4);
    const size_t length = reply.headers.find("Content-Length: ");
    reply.complete = length != std::string::npos &&
                     std::atoll(reply.headers.c_str() + length + 16) == static_cast<long long>(reply.body.size());
    return reply;
}

Reply Get(int port, const std::string& target, const std::string& host = "127.0.0.1",
          const char* sourceAddress = nullptr)
{
    return Parse(Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n", sourceAddress));
}

int PortOf(CBasicWebServer* server)
{
    int port = 0;
    server->GetPort(port);
    return port;
}

int PortOf(const wxString& url)
{
    return ParseInt(url.AfterFirst(':').AfterFirst(':'));
}

// Threads of this process, the servers' included.
size_t ThreadCount()
{
    wxDir dir(wxS("/proc/self/task"));
    size_t count = 0;
    wxString name;
    for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_DIRS); more; more = dir.GetNext(&name))
        ++count;
    return count;
}

class PreviewServerTest : public CoreTest
{
};

// A running server on the folder "site" of the program folder.
class WebServerTest : public CoreTest
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

TEST_F(WebServerTest, ServesFilesUncachedAndNeverListsAFolder)
{
    EXPECT_GE(port, 32768);
    const Reply page = Get(port, "/page.html");
    EXPECT_EQ(200, page.status);
    EXPECT_EQ("<html>page</html>\n", page.body);
    EXPECT_NE(std::string::npos, page.headers.find("Cache-Control: no-store"));

    WriteTextFile(root + wxS("/sub/listed.txt"), "x");
    for (const char* folder : {"/", "/sub/", "/sub"})
    {
        const Reply listing = Get(port, folder);
        EXPECT_EQ(403, listing.status) << folder;
        EXPECT_EQ(std::string::npos, listing.body.find("listed.txt")) << folder;
    }
    EXPECT_EQ(404, Get(port, "/missing.html").status);
    EXPECT_EQ(405, Parse(Exchange(port, "POST /page.html HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")).status);
    // A request the server library refuses itself gets the same answer as any refusal.
    const Reply refused = Parse(Exchange(port, "GET / HTTP/9.9\r\n\r\n"));
    EXPECT_EQ(505, refused.status);
    EXPECT_NE(std::string::npos, refused.headers.find("X-Content-Type-Options: nosniff")) << refused.headers;

    // The root follows SetRoot from the next request on.
    const wxString other = ProgramDir() + wxS("/other site");
    WriteTextFile(other + wxS("/page.html"), "other");
    server->SetRoot(other);
    EXPECT_EQ("other", Get(port, "/page.html").body);
}

TEST_F(WebServerTest, NoRequestReachesAFileOutsideTheRoot)
{
    const wxString outside = ProgramDir() + wxS("/outside");
    WriteTextFile(outside + wxS("/secret.txt"), "TOPSECRET");
    WriteTextFile(ProgramDir() + wxS("/secret.txt"), "TOPSECRET");
    ASSERT_EQ(0, symlink((outside + wxS("/secret.txt")).fn_str(), (root + wxS("/link.txt")).fn_str()));
    ASSERT_EQ(0, symlink(outside.fn_str(), (root + wxS("/linkdir")).fn_str()));
    // A link that stays inside the root is an ordinary file.
    ASSERT_EQ(0, symlink((root + wxS("/page.html")).fn_str(), (root + wxS("/alias.html")).fn_str()));

    const std::string absolute((outside + wxS("/secret.txt")).fn_str());
    for (const std::string& target :
         {std::string("/../secret.txt"), std::string("/%2e%2e/secret.txt"), std::string("/..%2fsecret.txt"),
          std::string("/..%2Foutside/secret.txt"), std::string("//../secret.txt"), std::string("/.//..//secret.txt"),
          std::string("/..\\secret.txt"), std::string("/%5c..%5csecret.txt"), std::string("/sub/../../secret.txt"),
          absolute, "/" + absolute, std::string("http://127.0.0.1/../secret.txt"), std::string("/link.txt"),
          std::string("/linkdir/secret.txt"), std::string("/linkdir/")})
    {
        const std::string answer = Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        EXPECT_EQ(std::string::npos, answer.find("TOPSECRET")) << target;
        EXPECT_NE(200, Parse(answer).status) << target;
    }
    EXPECT_EQ(200, Get(port, "/alias.html").status);
}

TEST_F(WebServerTest, OnlyLoopbackHostNamesAndClientsAreAnswered)
{
    const std::string portText = std::to_string(port);
    for (const std::string& host : {std::string("127.0.0.1"), "127.0.0.1:" + portText, std::string("localhost"),
                                    "LOCALHOST:" + portText})
        EXPECT_EQ(200, Get(port, "/page.html", host).status) << host;
    for (const std::string& host : {std::string("evil.example"), "evil.example:" + portText,
                                    std::string("127.0.0.1.evil.example"), std::string("127.0.0.1:1"),
                                    std::string("")})
        EXPECT_EQ(403, Get(port, "/page.html", host).status) << host;
    EXPECT_EQ(403, Parse(Exchange(port, "GET /page.html HTTP/1.0\r\n\r\n")).status);
}

// Another loopback address is another machine as far as the access list goes.
TEST_F(WebServerTest, AnotherLoopbackAddressIsRefused)
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.2", &address.sin_addr);
    const bool bindable = ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const int bindError = errno;
    ::close(probe);
    if (!bindable)
        GTEST_SKIP() << "this machine gives no address 127.0.0.2: " << strerror(bindError);

    const int fd = Connect(port, "127.0.0.2");
    ASSERT_GE(fd, 0) << "no connection from 127.0.0.2 to the server";
    ::close(fd);
    const Reply foreign = Get(port, "/page.html", "127.0.0.1", "127.0.0.2");
    EXPECT_NE(200, foreign.status);
    EXPECT_EQ(std::string::npos, foreign.body.find("page"));
    // The same request from 127.0.0.1 gets the page.
    EXPECT_EQ(200, Get(port, "/page.html").status);
}

TEST_F(PreviewServerTest, ServersStopAtOnceAndATakenPortIsNotUsed)
{
    for (int i = 0; i < 4; ++i)
    {
        CBasicWebServer* server = new CBasicWebServer();
        server->Run();
        const int port = PortOf(server);
        CBasicWebServer::StopAndDelete(server);
        EXPECT_EQ(-1, Connect(port));
    }

    // The same seed draws the same port; with that port taken the server draws again.
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
    CBasicWebServer* second = new CBasicWebServer();
    second->Run();
    EXPECT_NE(drawn, PortOf(second));
    EXPECT_TRUE(log->Contains(wxString::Format(wxS("Port %d is not available"), drawn)));
    WriteTextFile(ProgramDir() + wxS("/here.txt"), "here");
    EXPECT_EQ("here", Get(PortOf(second), "/here.txt").body);
    CBasicWebServer::StopAndDelete(second);
    ::close(blocker);
}

// Many clients read the embedded preview page while edits rewrite it; afterwards the
// server shrugs off garbage.
TEST_F(PreviewServerTest, PageRewrittenUnderLoadIsAlwaysServedWhole)
{
    WriteSupportFiles(ProgramDir());
    WriteTextFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), std::string(20000, 'f'));
    ASSERT_EQ(RC_OK, InitCore());
    const wxString url = Core()->GetEmbeddedPreviewUrl();
    const int port = PortOf(url);
    const std::string target = "/" + std::string(url.AfterLast('/').utf8_str());
    const wxString pagePath = Core()->GetEmbeddedPreviewPath();

    std::set<std::string> versions{ReadTextFile(pagePath)};
    std::mutex lock;
    std::vector<std::string> bodies;
    std::atomic<int> broken{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < 50; ++c)
        clients.emplace_back([&] {
            for (int i = 0; i < 40; ++i)
            {
                const Reply reply = Get(port, target);
                if (reply.status != 200 || !reply.complete)
                    ++broken;
                std::lock_guard<std::mutex> guard(lock);
                bodies.push_back(reply.body);
            }
        });
    for (int edit = 0; edit < 100; ++edit)
    {
        Core()->SetUserText(wxString::Format(wxS("Edit %d %s"), edit, wxString(wxS('x'), edit * 37)));
        versions.insert(ReadTextFile(pagePath));
    }
    for (std::thread& client : clients)
        client.join();
    EXPECT_EQ(0, broken.load());
    ASSERT_EQ(2000u, bodies.size());
    EXPECT_GT(versions.size(), 90u);
    EXPECT_EQ(0, std::count_if(bodies.begin(), bodies.end(),
                               [&](const std::string& body) { return versions.count(body) == 0; }));

    const std::string malformed[] = {"GET", "GET / HTTP/1.1\r\nHost: 127.0.0.1", "\r\n\r\n",
                                     "GET / HTTP/9.9\r\n\r\n", "GET " + std::string(20000, 'a') + " HTTP/1.1\r\n\r\n",
                                     "GET / HTTP/1.1\r\nContent-Length: -5\r\n\r\n"};
    std::vector<std::thread> attackers;
    for (unsigned a = 0; a < 10; ++a)
        attackers.emplace_back([&, a] {
            std::mt19937 bytes(a);
            for (int i = 0; i < 50; ++i)
            {
                std::string request = malformed[(a + i) % 6];
                if (i % 2)
                    request.assign(bytes() % 600, '\0'), std::generate(request.begin(), request.end(), bytes);
                if (i % 3 == 0)
                {
                    // Hang up without waiting for an answer.
                    const int fd = Connect(port);
                    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
                    ::close(fd);
                }
                else
                    Exchange(port, request);
            }
        });
    for (std::thread& attacker : attackers)
        attacker.join();
    EXPECT_EQ(1u, versions.count(Get(port, target).body));
}

TEST_F(PreviewServerTest, PreviewsServeTheirPagesAndReleaseStopsEveryServer)
{
    WriteSupportFiles(ProgramDir());
    WriteTextFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), "FWS");
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_TRUE(Core()->GetEmbeddedPreviewUrl().Matches(wxS("http://127.0.0.1:*/glypharaembeddedpreview*.html")));

    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(wxEmptyString, false));
    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(wxEmptyString, false));
    ASSERT_EQ(2u, openedUrls.size());
    // The second preview of the same folder is served by the server of the first.
    EXPECT_EQ(2u, Core()->GetWebServerCount());
    EXPECT_EQ(openedUrls[0], openedUrls[1]);
    EXPECT_NE(PortOf(Core()->GetEmbeddedPreviewUrl()), PortOf(openedUrls[0]));
    EXPECT_TRUE(openedUrls[1].AfterLast('/').Matches(wxS("glypharapreview*.html")));
    EXPECT_TRUE(log->Contains(wxS("Previewing with default browser at: ") + openedUrls[1]));
    const std::string written = ReadTextFile(Core()->GetBrowserPreviewPath());
    for (const wxString& url : openedUrls)
        EXPECT_EQ(written, Get(PortOf(url), "/" + std::string(url.AfterLast('/').utf8_str())).body);

    // An existing page is served from its own folder, untouched, under a valid address.
    const wxString site = ProgramDir() + wxS("/My Site");
    WriteTextFile(site + wxS("/my index.html"), "mine");
    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(site + wxS("/my index.html"), false));
    EXPECT_TRUE(openedUrls[2].EndsWith(wxS("/my%20index.html"))) << openedUrls[2];
    EXPECT_EQ("mine", Get(PortOf(openedUrls[2]), "/my%20index.html").body);
    wxArrayString siteFiles;
    EXPECT_EQ(1u, wxDir::GetAllFiles(site, &siteFiles));
    EXPECT_EQ(3u, Core()->GetWebServerCount());
    WriteTextFile(site + wxS("/other.html"), "other");
    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(site + wxS("/other.html"), false));
    EXPECT_EQ(3u, Core()->GetWebServerCount());
    EXPECT_EQ("other", Get(PortOf(openedUrls[2]), "/other.html").body);

    Core()->Release();
    EXPECT_EQ(0u, Core()->GetWebServerCount());
    for (const wxString& url : openedUrls)
        EXPECT_EQ(-1, Connect(PortOf(url)));
}

// A designer previews again and again: the server of the first preview serves them all.
TEST_F(PreviewServerTest, AHundredPreviewsShareOneServer)
{
    WriteSupportFiles(ProgramDir());
    WriteTextFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), "FWS");
    ASSERT_EQ(RC_OK, InitCore());
    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(wxEmptyString, false));
    const size_t before = ThreadCount();
    for (int preview = 1; preview < 100; ++preview)
        ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(wxEmptyString, false));
    EXPECT_EQ(before, ThreadCount());
    EXPECT_EQ(2u, Core()->GetWebServerCount());
    ASSERT_EQ(100u, openedUrls.size());
    EXPECT_EQ(openedUrls.front(), openedUrls.back());
    const std::string written = ReadTextFile(Core()->GetBrowserPreviewPath());
    EXPECT_EQ(written, Get(PortOf(openedUrls.back()), "/" + std::string(openedUrls.back().AfterLast('/').utf8_str())).body);
}
