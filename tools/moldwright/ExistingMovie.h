// Reads which families a movie already on disk holds, so that making a movie never
// replaces one of another family without being told to.
#ifndef MOLDWRIGHT_EXISTINGMOVIE_H
#define MOLDWRIGHT_EXISTINGMOVIE_H

#include <string>
#include <vector>

namespace moldwright
{

enum class ExistingMovie
{
    Missing,   // no file of that name
    Fonts,     // a movie; its font names are given
    Unreadable // a file that is not a movie this program can read
};

ExistingMovie ReadMovieFonts(const std::string& path, std::vector<std::string>& names);

}

#endif
