// Runs the core tests inside an initialised toolkit without a display.
#include <wx/app.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/init.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <unistd.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Test programs run side by side; as in the application, each draws its own preview
    // ports, so one process's server never answers on another's port.
    srand(static_cast<unsigned>(time(nullptr)) ^ (static_cast<unsigned>(getpid()) << 16));
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    // Colour names and the picture handlers work without a display.
    wxInitializeStockLists();
    wxInitAllImageHandlers();
    return RUN_ALL_TESTS();
}
