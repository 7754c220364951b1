// What counts as a change of a watched folder, told by the kernel or by the folder's stamp.
#include "TestSupport.h"

#include "core/FolderWatch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace
{
std::string Native(const wxString& path)
{
    return std::string(path.fn_str());
}

void Age(const wxString& path)
{
    const timespec times[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, Native(path).c_str(), times, 0)) << path;
}

timespec Now()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

// root/a/fonts (the folder watched) holding x.swf and a folder sub, and root/a/other; all
// changed an hour ago, so that a change now always shows in their stamps.
struct Tree
{
    Tree()
    {
        WriteTextFile(root / wxS("a/fonts/x.swf"), "FWS");
        MakeFolders(root / wxS("a/fonts/sub"));
        MakeFolders(root / wxS("a/other"));
        for (const char* folder : {"a/fonts/sub", "a/fonts", "a/other", "a"})
            Age(root / wxString::FromUTF8(folder));
    }
    std::string At(const char* relative) const { return Native(root / wxString::FromUTF8(relative)); }

    const TempDir root;
};
}

TEST(FolderWatch, ChangesOfTheFolderOrOfItsWayAreSeenAndOthersAreNot)
{
    struct Case
    {
        const char* what;
        std::function<void(const Tree&)> change;
        bool seen;
    };
    const Case cases[] = {
        {"a picture added", [](const Tree& t) { WriteTextFile(t.root / wxS("a/fonts/x.png"), "PNG"); }, true},
        {"a movie removed", [](const Tree& t) { unlink(t.At("a/fonts/x.swf").c_str()); }, true},
        {"a movie renamed", [](const Tree& t) { rename(t.At("a/fonts/x.swf").c_str(), t.At("a/fonts/y.swf").c_str()); },
         true},
        {"the folder's times set", [](const Tree& t) { utimensat(AT_FDCWD, t.At("a/fonts").c_str(), nullptr, 0); }, true},
        {"the folder moved away", [](const Tree& t) { rename(t.At("a/fonts").c_str(), t.At("a/old").c_str()); }, true},
        {"a folder on its way renamed", [](const Tree& t) { rename(t.At("a").c_str(), t.At("b").c_str()); }, true},
        {"files beside its way",
         [](const Tree& t) {
             WriteTextFile(t.root / wxS("a/other/z.swf"), "FWS");
             WriteTextFile(t.root / wxS("readme"), "");
         },
         false},
        {"a file in a folder below it", [](const Tree& t) { WriteTextFile(t.root / wxS("a/fonts/sub/z.png"), "PNG"); },
         false},
        {"a movie rewritten in place", [](const Tree& t) { WriteTextFile(t.root / wxS("a/fonts/x.swf"), "FWS2"); }, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const Tree tree;
        FolderWatch watch;
        ASSERT_TRUE(watch.Watch({tree.At("a/fonts")}, Now()));
        EXPECT_EQ(0u, watch.StampedCount());
        EXPECT_TRUE(watch.Unchanged());
        c.change(tree);
        EXPECT_EQ(!c.seen, watch.Unchanged());
        // Seen once, a change stays seen.
        EXPECT_EQ(!c.seen, watch.Unchanged());
    }
}

TEST(FolderWatch, FoldersTheKernelCannotWatchAreComparedByTheirStamps)
{
    const Tree tree;
    ASSERT_EQ(0, symlink(tree.At("a").c_str(), tree.At("link").c_str()));
    FolderWatch watch;
    ASSERT_TRUE(watch.Watch({tree.At("link/fonts"), tree.At("a/none"), tree.At("a/fonts")}, Now()));
    EXPECT_EQ(2u, watch.StampedCount()) << "a path through a link, and a folder that is not there";
    EXPECT_TRUE(watch.Unchanged());
    MakeFolders(tree.root / wxS("a/none"));
    EXPECT_FALSE(watch.Unchanged());

    ASSERT_TRUE(watch.Watch({tree.At("link/fonts")}, Now()));
    WriteTextFile(tree.root / wxS("a/fonts/x.png"), "PNG");
    EXPECT_FALSE(watch.Unchanged());

    // A folder changed just before it was read may change again within the same stamp.
    EXPECT_FALSE(watch.Watch({tree.At("a/fonts")}, Now()));
}
