// Whether any of a set of folders may have changed since they were handed over: an entry
// made, removed or renamed in one, its times or rights changed, the folder itself moved
// or removed, or any folder on its way from the root renamed or replaced. The kernel
// reports such changes as they happen, so asking costs one system call however many
// folders there are. A folder it cannot watch (no watches left, a network file system,
// whose changes made elsewhere it never hears of, a path through a symbolic link) is
// compared by its stamp instead, as every folder would be without the kernel's help.
#ifndef GLYPHARA_CORE_FOLDERWATCH_H
#define GLYPHARA_CORE_FOLDERWATCH_H

#include <sys/types.h>

#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

class FolderWatch
{
public:
    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches these folders (paths in the file system's encoding) in place of any earlier
    // ones. False when one of them changed too shortly before listedAt for its stamp to
    // show a further change: what was read of it then cannot be trusted.
    bool Watch(const std::vector<std::string>& folders, const timespec& listedAt);
    // False once anything watched may have changed; it stays false until the next Watch.
    bool Unchanged();
    void Clear();

    // How many of the folders are compared by their stamps.
    size_t StampedCount() const { return m_stamped.size(); }

private:
    struct Stamp
    {
        std::string path;
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        timespec modified{};
    };
    static Stamp StampOf(const std::string& path);
    static bool Same(const Stamp& a, const Stamp& b);
    // What an event on a watched folder means: any event, for a folder of the set; for a
    // folder on the way to one, an event on itself or on one of these entries.
    struct Role
    {
        bool any = false;
        std::set<std::string> entries;
    };
    void ReadEvents();

    int m_fd = -1;
    std::map<int, Role> m_roles;
    std::vector<Stamp> m_stamped;
    bool m_changed = false;
};

#endif
