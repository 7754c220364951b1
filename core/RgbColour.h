// A colour of a style record: red, green, blue and alpha, or unset. The core's own value
// type, so that the core needs nothing of the toolkit's graphics library; it converts
// both ways with the toolkit's colour (or any type of the same shape) where the window
// code meets it, without this header naming that type.
#ifndef GLYPHARA_CORE_RGBCOLOUR_H
#define GLYPHARA_CORE_RGBCOLOUR_H

#include <type_traits>
#include <utility>

class RgbColour
{
public:
    // Unset, like a colour that failed to convert.
    RgbColour() = default;
    RgbColour(unsigned char red, unsigned char green, unsigned char blue, unsigned char alpha = 255)
        : m_red(red), m_green(green), m_blue(blue), m_alpha(alpha), m_ok(true)
    {
    }

    // From a colour-like value (the toolkit's wxColour): one with IsOk, Red, Green, Blue
    // and Alpha.
    template <typename Other, typename = decltype(std::declval<const Other&>().IsOk()),
              typename = decltype(std::declval<const Other&>().Alpha())>
    RgbColour(const Other& other)
    {
        if (other.IsOk())
            *this = RgbColour(other.Red(), other.Green(), other.Blue(), other.Alpha());
    }

    // To a colour-like value made from red, green, blue and alpha; an unset colour gives
    // the default (unset) value of that type.
    template <typename Other, typename = decltype(std::declval<const Other&>().IsOk()),
              typename = std::enable_if_t<std::is_constructible<Other, unsigned char, unsigned char, unsigned char,
                                                                unsigned char>::value>>
    operator Other() const
    {
        return m_ok ? Other(m_red, m_green, m_blue, m_alpha) : Other();
    }

    bool IsOk() const { return m_ok; }
    unsigned char Red() const { return m_red; }
    unsigned char Green() const { return m_green; }
    unsigned char Blue() const { return m_blue; }
    unsigned char Alpha() const { return m_alpha; }

    void Set(unsigned char red, unsigned char green, unsigned char blue, unsigned char alpha = 255)
    {
        *this = RgbColour(red, green, blue, alpha);
    }

    // Members, so that comparing with the toolkit's colour on either side is not ambiguous.
    bool operator==(const RgbColour& other) const
    {
        return m_ok == other.m_ok && (!m_ok || (m_red == other.m_red && m_green == other.m_green &&
                                                m_blue == other.m_blue && m_alpha == other.m_alpha));
    }
    bool operator!=(const RgbColour& other) const { return !(*this == other); }

private:
    unsigned char m_red = 0;
    unsigned char m_green = 0;
    unsigned char m_blue = 0;
    unsigned char m_alpha = 255;
    bool m_ok = false;
};

#endif
