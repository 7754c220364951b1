// Shared by the effect tests: effect files written by hand, and short views of the library.
#ifndef GLYPHARA_TESTS_CORE_EFFECTTESTSUPPORT_H
#define GLYPHARA_TESTS_CORE_EFFECTTESTSUPPORT_H

#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <string>
#include <vector>

const char* const kGlowXml = "<glow enabled=\"1\" strength=\"5\" blurx=\"10\" alpha=\"0.75\" color=\"#FF8000\"/>";
const char* const kShadowXml = "<dropshadow enabled=\"1\" distance=\"6\" angle=\"90\"/>";

class EffectTest : public CoreTest
{
protected:
    // Attributes left out keep their defaults when read.
    static void Install(const wxString& path, const std::string& name, const std::string& filters)
    {
        WriteTextFile(path, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GlypharaEffect><effect effectname=\"" +
                                name + "\">" + filters + "</effect></GlypharaEffect>\n");
    }

    std::vector<wxString> List()
    {
        wxArrayString names;
        EXPECT_EQ(RC_OK, Core()->GetEffectList(names));
        return std::vector<wxString>(names.begin(), names.end());
    }

    wxString Selected()
    {
        wxString name;
        Core()->GetSelectedEffect(name);
        return name;
    }

    FontProperties Tag()
    {
        FontProperties record;
        Core()->GetSelectedFontProperties(record);
        return record;
    }

    FontProperties Effect(const wxString& name)
    {
        const EffectFilterMap& effects = Core()->GetEffectFilters();
        return effects.count(name) ? effects.at(name) : FontProperties();
    }

    wxString FileOf(const wxString& name)
    {
        const EffectFileMap& files = Core()->GetEffectFiles();
        return files.count(name) ? files.at(name) : wxString(wxS("(not in the library)"));
    }
};

#endif
