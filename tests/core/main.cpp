// Runs the core tests inside an initialised toolkit without a display.
#include <wx/app.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/init.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    // Colour names and the picture handlers work without a display.
    wxInitializeStockLists();
    wxInitAllImageHandlers();
    return RUN_ALL_TESTS();
}
