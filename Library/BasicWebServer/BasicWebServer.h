// One local HTTP server on its own thread, answering only 127.0.0.1 and serving one
// folder without directory listings. One is started per preview.
#ifndef GLYPHARA_LIBRARY_BASICWEBSERVER_H
#define GLYPHARA_LIBRARY_BASICWEBSERVER_H

#include <wx/string.h>
#include <wx/thread.h>

class CBasicWebServer : public wxThread
{
public:
    CBasicWebServer();
    ~CBasicWebServer() override;

    int SetRoot(const wxString& root);
    int GetPort(int& port);

    // Asks the server to stop, waits until its thread has ended and frees it.
    static void StopAndDelete(CBasicWebServer* server);

protected:
    ExitCode Entry() override;

private:
    struct Impl;
    Impl* m_impl;
};

#endif
