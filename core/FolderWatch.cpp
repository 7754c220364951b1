#include "core/FolderWatch.h"

#include "core/FontFolders.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>

namespace
{
const uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

// File systems whose folders can change without this machine's kernel taking part.
bool IsShared(unsigned long type)
{
    switch (type)
    {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE
    case 0x73757245: // Coda
    case 0x5346414F: // AFS
    case 0x6B414653: // kAFS
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x01161970: // GFS2
    case 0x7461636F: // OCFS2
    case 0x0BD00BD0: // Lustre
    case 0x564C:     // NCP
        return true;
    default:
        return false;
    }
}

// The names on an absolute path, when it names each folder plainly (no "." or "..").
bool NamesOnPath(const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    if (path.empty() || path[0] != '/')
        return false;
    for (size_t start = 1; start < path.size();)
    {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
        {
            names.push_back(path.substr(start, end - start));
            if (names.back() == "." || names.back() == "..")
                return false;
        }
        start = end + 1;
    }
    return true;
}
}

FolderWatch::~FolderWatch()
{
    Clear();
}

void FolderWatch::Clear()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_roles.clear();
    m_stamped.clear();
    m_changed = false;
}

FolderWatch::Stamp FolderWatch::StampOf(const std::string& path)
{
    Stamp stamp;
    stamp.path = path;
    struct stat state;
    if (::stat(path.c_str(), &state) == 0)
    {
        stamp.exists = true;
        stamp.device = state.st_dev;
        stamp.inode = state.st_ino;
        stamp.modified = state.st_mtim;
    }
    return stamp;
}

bool FolderWatch::Same(const Stamp& a, const Stamp& b)
{
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

bool FolderWatch::Watch(const std::vector<std::string>& folders, const timespec& listedAt)
{
    Clear();
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);

    // Every path is watched once, for all that matters of it: the folders themselves, and
    // each folder on their way from the root for the entry that leads on.
    std::map<std::string, Role> wanted;
    std::vector<std::vector<std::string>> ways(folders.size());
    std::vector<std::string> names;
    for (size_t f = 0; f < folders.size(); ++f)
    {
        if (m_fd < 0 || !NamesOnPath(folders[f], names))
            continue;
        std::string path = "/";
        for (const std::string& name : names)
        {
            wanted[path].entries.insert(name);
            ways[f].push_back(path);
            path = (path.size() == 1 ? path : path + "/") + name;
        }
        wanted[path].any = true;
        ways[f].push_back(path);
    }
    // Watched before their stamps are taken, so that a change in between is reported. A
    // symbolic link on the way is not followed: where it leads may change unseen.
    std::map<std::string, bool> watched;
    for (const auto& path : wanted)
    {
        const int wd = inotify_add_watch(m_fd, path.first.c_str(), kEvents | IN_ONLYDIR | IN_DONT_FOLLOW);
        watched[path.first] = wd >= 0;
        if (wd < 0)
            continue;
        // Two paths may lead to the same folder.
        Role& role = m_roles[wd];
        role.any = role.any || path.second.any;
        role.entries.insert(path.second.entries.begin(), path.second.entries.end());
    }

    bool settled = true;
    std::map<dev_t, bool> shared;
    for (size_t f = 0; f < folders.size(); ++f)
    {
        const Stamp stamp = StampOf(folders[f]);
        if (stamp.exists && !FontFolders::OldEnough(stamp.modified, listedAt))
            settled = false;
        bool seen = stamp.exists && !ways[f].empty();
        for (const std::string& path : ways[f])
            seen = seen && watched[path];
        if (seen)
        {
            auto device = shared.find(stamp.device);
            if (device == shared.end())
            {
                struct statfs system;
                const bool known = ::statfs(folders[f].c_str(), &system) == 0;
                device = shared.emplace(stamp.device, !known || IsShared(static_cast<unsigned long>(system.f_type))).first;
            }
            seen = !device->second;
        }
        if (!seen)
            m_stamped.push_back(stamp);
    }
    return settled;
}

void FolderWatch::ReadEvents()
{
    alignas(inotify_event) char buffer[16384];
    for (;;)
    {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
        {
            // Nothing more happened; any other failure leaves nothing to go by.
            if (got == 0 || errno != EAGAIN)
                m_changed = true;
            return;
        }
        for (const char* at = buffer; at < buffer + got;)
        {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
            at += sizeof(inotify_event) + event->len;
            const auto role = m_roles.find(event->wd);
            // A lost event, or one of a watch the kernel dropped, may have been anything.
            if ((event->mask & IN_Q_OVERFLOW) || role == m_roles.end() || role->second.any ||
                (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) || event->len == 0 ||
                role->second.entries.count(event->name) != 0)
            {
                m_changed = true;
                return;
            }
        }
    }
}

bool FolderWatch::Unchanged()
{
    if (!m_changed && m_fd >= 0)
        ReadEvents();
    for (size_t i = 0; i < m_stamped.size() && !m_changed; ++i)
        m_changed = !Same(m_stamped[i], StampOf(m_stamped[i].path));
    return !m_changed;
}
