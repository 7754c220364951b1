// The bundled font library as the build is meant to make it: foundry to font names.
#ifndef GLYPHARA_TESTS_MOLDWRIGHT_LIBRARYEXPECTATION_H
#define GLYPHARA_TESTS_MOLDWRIGHT_LIBRARYEXPECTATION_H

#include <map>
#include <set>
#include <string>

inline const std::map<std::string, std::set<std::string>>& ExpectedLibrary()
{
    static const std::map<std::string, std::set<std::string>> library = {
        {"DejaVu",
         {"DejaVu Sans [regular][italic][bold][bolditalic]", "DejaVu Serif [regular][italic][bold][bolditalic]",
          "DejaVu Sans Mono [regular][italic][bold][bolditalic]",
          "DejaVu Sans Condensed [regular][italic][bold][bolditalic]"}},
        {"Red Hat",
         {"Liberation Sans [regular][italic][bold][bolditalic]", "Liberation Serif [regular][italic][bold][bolditalic]",
          "Liberation Mono [regular][italic][bold][bolditalic]"}},
        {"URW",
         {"Nimbus Sans [regular][italic][bold][bolditalic]", "Nimbus Roman [regular][italic][bold][bolditalic]",
          "URW Gothic [regular][italic][bold][bolditalic]", "URW Bookman [regular][italic][bold][bolditalic]",
          "C059 [regular][italic][bold][bolditalic]", "P052 [regular][italic][bold][bolditalic]", "Z003 [italic]"}},
        {"Impallari Type",
         {"Lobster Two [regular][italic][bold][bolditalic]", "Cabin [regular][italic][bold][bolditalic]"}},
        {"Johan Aakerlund", {"Comfortaa [regular][bold]"}},
        {"Yanone", {"Yanone Kaffeesatz [regular][bold]"}},
    };
    return library;
}

#endif
