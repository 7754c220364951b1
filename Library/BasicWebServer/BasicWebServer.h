// One local HTTP server on its own thread, answering only 127.0.0.1 and serving one
// folder without directory listings.
#ifndef GLYPHARA_LIBRARY_BASICWEBSERVER_H
#define GLYPHARA_LIBRARY_BASICWEBSERVER_H

#include <wx/string.h>
#include <wx/thread.h>

struct mg_connection;

class CBasicWebServer : public wxThread
{
public:
    // Opens the listening socket on a random port from 32768 to 65535; a port that is
    // taken is replaced by another draw. IsListening tells whether one could be opened.
    CBasicWebServer();
    ~CBasicWebServer() override;

    // Takes effect for the next request; may be called while the server answers.
    int SetRoot(const wxString& root);
    int GetPort(int& port);
    // The folder served, as SetRoot was given it (the working folder before that).
    wxString GetRoot() const;
    bool IsListening() const;

    // Asks the server to stop, waits until its thread has ended and frees it. Returns at
    // once rather than after a poll period.
    static void StopAndDelete(CBasicWebServer* server);

protected:
    ExitCode Entry() override;

private:
    struct Impl;
    static int BeginRequest(mg_connection* connection);
    static int AnswerError(mg_connection* connection, int status, const char* message);

    Impl* m_impl;
};

#endif
