// GLYPHARA-STUB: placeholder so the tree links while the web server is being written.
#include "Library/BasicWebServer/BasicWebServer.h"

struct CBasicWebServer::Impl
{
};

CBasicWebServer::CBasicWebServer() : wxThread(wxTHREAD_JOINABLE), m_impl(new Impl) {}
CBasicWebServer::~CBasicWebServer() { delete m_impl; }
int CBasicWebServer::SetRoot(const wxString&) { return 0; }
int CBasicWebServer::GetPort(int& port) { port = 0; return 0; }
void CBasicWebServer::StopAndDelete(CBasicWebServer* server) { delete server; }
wxThread::ExitCode CBasicWebServer::Entry() { return nullptr; }
