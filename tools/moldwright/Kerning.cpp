#include "Kerning.h"

#include FT_MULTIPLE_MASTERS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace moldwright
{

namespace
{

// Big-endian reads that never leave the table; a read out of range yields 0 and marks the
// table as damaged, which makes the caller drop what it read.
class Table
{
public:
    bool Load(FT_Face face, FT_ULong tag)
    {
        FT_ULong length = 0;
        if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0 || length == 0)
            return false;
        m_data.resize(length);
        return FT_Load_Sfnt_Table(face, tag, 0, m_data.data(), &length) == 0;
    }

    size_t Size() const { return m_data.size(); }
    bool Damaged() const { return m_damaged; }

    unsigned U16(size_t at)
    {
        if (at + 2 > m_data.size())
        {
            m_damaged = true;
            return 0;
        }
        return unsigned(m_data[at] << 8) | m_data[at + 1];
    }
    int S16(size_t at) { return static_cast<int16_t>(U16(at)); }
    int S8(size_t at)
    {
        if (at + 1 > m_data.size())
        {
            m_damaged = true;
            return 0;
        }
        return static_cast<int8_t>(m_data[at]);
    }
    uint32_t U32(size_t at) { return (uint32_t(U16(at)) << 16) | U16(at + 2); }
    std::string Tag(size_t at)
    {
        if (at + 4 > m_data.size())
        {
            m_damaged = true;
            return std::string();
        }
        return std::string(reinterpret_cast<const char*>(&m_data[at]), 4);
    }

private:
    std::vector<uint8_t> m_data;
    bool m_damaged = false;
};

// ---- the 'kern' table ----

// The glyph pairs listed by the horizontal format 0 subtables, in the table's Microsoft and
// Apple forms. Values come from FreeType, so that they are exactly what FT_Get_Kerning says.
bool KernTablePairs(FT_Face face, std::vector<std::pair<FT_UInt, FT_UInt>>& pairs)
{
    Table t;
    if (!t.Load(face, TTAG_kern) || t.Size() < 4)
        return false;
    const bool apple = t.U16(0) == 1;
    size_t at = apple ? 8 : 4;
    const uint32_t tables = apple ? t.U32(4) : t.U16(2);
    const size_t headerSize = apple ? 8 : 6;
    for (uint32_t i = 0; i < tables && at + headerSize <= t.Size(); ++i)
    {
        size_t subLength = apple ? t.U32(at) : t.U16(at + 2);
        const unsigned coverage = t.U16(at + 4);
        const unsigned format = apple ? (coverage & 0xFF) : (coverage >> 8);
        // Horizontal only: not vertical, cross-stream, variation or minimum values.
        const bool horizontal = apple ? (coverage & 0xE000) == 0 : (coverage & 0x7) == 0x1;
        const size_t body = at + headerSize;
        if (format == 0 && horizontal)
        {
            const size_t count = t.U16(body);
            for (size_t k = 0; k < count; ++k)
            {
                const size_t rec = body + 8 + k * 6;
                if (rec + 6 > t.Size())
                    break;
                pairs.emplace_back(t.U16(rec), t.U16(rec + 2));
            }
            // The 16-bit length of the Microsoft form overflows in big tables.
            subLength = std::max(subLength, body + 8 + count * 6 - at);
        }
        if (subLength < headerSize)
            break;
        at += subLength;
    }
    return true;
}

// The glyph pairs of the KPX lines of an AFM file; false when it is not one.
bool AfmPairs(FT_Face face, const std::string& path, std::vector<std::pair<FT_UInt, FT_UInt>>& pairs)
{
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line.rfind("StartFontMetrics", 0) != 0)
        return false;
    while (std::getline(in, line))
    {
        std::istringstream words(line);
        std::string key, left, right;
        if (!(words >> key) || (key != "KPX" && key != "KP") || !(words >> left >> right))
            continue;
        const FT_UInt l = FT_Get_Name_Index(face, left.c_str()), r = FT_Get_Name_Index(face, right.c_str());
        if (l != 0 && r != 0)
            pairs.emplace_back(l, r);
    }
    return true;
}

std::vector<GlyphKerning> KernTableKerning(FT_Face face, const std::vector<FT_UInt>& glyphs, const std::string& metricsFile)
{
    std::vector<std::pair<FT_UInt, FT_UInt>> pairs;
    if (FT_IS_SFNT(face) ? !KernTablePairs(face, pairs) : !AfmPairs(face, metricsFile, pairs))
    {
        // Kerning FreeType reads but this code does not (a .pfm file, an unusual table): ask
        // about every pair of a small set.
        if (glyphs.size() > 600)
            return {};
        for (FT_UInt l : glyphs)
            for (FT_UInt r : glyphs)
                pairs.emplace_back(l, r);
    }
    std::vector<GlyphKerning> out;
    for (const auto& p : pairs)
    {
        if (!std::binary_search(glyphs.begin(), glyphs.end(), p.first) ||
            !std::binary_search(glyphs.begin(), glyphs.end(), p.second))
            continue;
        FT_Vector delta;
        if (FT_Get_Kerning(face, p.first, p.second, FT_KERNING_UNSCALED, &delta) == 0 && delta.x != 0)
            out.push_back({p.first, p.second, delta.x});
    }
    // A pair listed twice counts once.
    std::sort(out.begin(), out.end(), [](const GlyphKerning& a, const GlyphKerning& b) {
        return a.left != b.left ? a.left < b.left : a.right < b.right;
    });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const GlyphKerning& a, const GlyphKerning& b) { return a.left == b.left && a.right == b.right; }),
              out.end());
    return out;
}

// ---- the GPOS 'kern' feature ----

// Coverage and class tables of format 2 share one layout: a count, then sorted records of
// start glyph, end glyph and a value. Returns the offset of the record holding glyph, or 0.
size_t RangeRecord(Table& t, size_t table, unsigned glyph)
{
    unsigned lo = 0, hi = t.U16(table + 2);
    while (lo < hi)
    {
        const unsigned mid = (lo + hi) / 2;
        const size_t rec = table + 4 + mid * 6;
        const unsigned start = t.U16(rec), end = t.U16(rec + 2);
        if (glyph < start)
            hi = mid;
        else if (glyph > end)
            lo = mid + 1;
        else
            return rec;
    }
    return 0;
}

int CoverageIndex(Table& t, size_t coverage, unsigned glyph)
{
    const unsigned format = t.U16(coverage);
    if (format == 1)
    {
        unsigned lo = 0, hi = t.U16(coverage + 2);
        while (lo < hi)
        {
            const unsigned mid = (lo + hi) / 2;
            const unsigned g = t.U16(coverage + 4 + mid * 2);
            if (g == glyph)
                return int(mid);
            if (g < glyph)
                lo = mid + 1;
            else
                hi = mid;
        }
    }
    else if (format == 2)
    {
        if (const size_t rec = RangeRecord(t, coverage, glyph))
            return int(t.U16(rec + 4) + (glyph - t.U16(rec)));
    }
    return -1;
}

unsigned GlyphClass(Table& t, size_t classDef, unsigned glyph)
{
    const unsigned format = t.U16(classDef);
    if (format == 1)
    {
        const unsigned start = t.U16(classDef + 2), count = t.U16(classDef + 4);
        if (glyph >= start && glyph < start + count)
            return t.U16(classDef + 6 + (glyph - start) * 2);
    }
    else if (format == 2)
    {
        if (const size_t rec = RangeRecord(t, classDef, glyph))
            return t.U16(rec + 4);
    }
    return 0;
}

int ValueRecordSize(unsigned valueFormat)
{
    int n = 0;
    for (unsigned bit = 0; bit < 8; ++bit)
        n += (valueFormat >> bit) & 1u;
    return n * 2;
}

// The deltas of a variable font's GDEF item variation store at the face's instance, which
// move kerning values with the weight or width of the instance.
class VariationStore
{
public:
    void Load(FT_Face face)
    {
        FT_MM_Var* mm = nullptr;
        if (!FT_HAS_MULTIPLE_MASTERS(face) || FT_Get_MM_Var(face, &mm) != 0)
            return;
        std::vector<FT_Fixed> coords(mm->num_axis);
        const bool read = FT_Get_Var_Blend_Coordinates(face, mm->num_axis, coords.data()) == 0;
        FT_Done_MM_Var(face->glyph->library, mm);
        // From FreeType's 16.16 to the 2.14 of the tables.
        for (FT_Fixed c : coords)
            m_coords.push_back(int(c >> 2));
        if (!read || std::all_of(m_coords.begin(), m_coords.end(), [](int c) { return c == 0; }))
            return;
        if (!m_gdef.Load(face, FT_MAKE_TAG('G', 'D', 'E', 'F')) || m_gdef.U16(0) != 1 || m_gdef.U16(2) < 3)
            return;
        m_store = m_gdef.U32(14);
    }

    // The value that a VariationIndex table at `device` adds, in font units.
    int Delta(Table& t, size_t device)
    {
        if (m_store == 0 || t.U16(device + 4) != 0x8000)
            return 0;
        const unsigned outer = t.U16(device), inner = t.U16(device + 2);
        Table& g = m_gdef;
        if (outer >= g.U16(m_store + 6))
            return 0;
        const size_t regions = m_store + g.U32(m_store + 2);
        const size_t data = m_store + g.U32(m_store + 8 + 4 * outer);
        const unsigned items = g.U16(data), words = g.U16(data + 2), regionIndexes = g.U16(data + 4);
        const bool longWords = (words & 0x8000) != 0;
        const unsigned wordCount = std::min(words & 0x7FFFu, regionIndexes);
        if (inner >= items)
            return 0;
        const size_t rowSize = wordCount * (longWords ? 4 : 2) + (regionIndexes - wordCount) * (longWords ? 2 : 1);
        size_t at = data + 6 + 2 * size_t(regionIndexes) + inner * rowSize;
        const unsigned axes = g.U16(regions), regionCount = g.U16(regions + 2);
        float sum = 0;
        for (unsigned i = 0; i < regionIndexes; ++i)
        {
            int delta;
            if (i < wordCount)
            {
                delta = longWords ? int(g.U32(at)) : g.S16(at);
                at += longWords ? 4 : 2;
            }
            else
            {
                delta = longWords ? g.S16(at) : g.S8(at);
                at += longWords ? 2 : 1;
            }
            const unsigned region = g.U16(data + 6 + 2 * i);
            if (region < regionCount)
                sum += Scalar(regions + 4 + size_t(region) * axes * 6, axes) * float(delta);
        }
        return g.Damaged() ? 0 : int(std::round(sum));
    }

private:
    // How much of a region's delta applies at the instance: 1 at its peak, falling to 0 at
    // its start and end on every axis.
    float Scalar(size_t region, unsigned axes)
    {
        float scalar = 1.f;
        for (unsigned a = 0; a < axes; ++a)
        {
            const int start = m_gdef.S16(region + a * 6), peak = m_gdef.S16(region + a * 6 + 2),
                      end = m_gdef.S16(region + a * 6 + 4);
            const int coord = a < m_coords.size() ? m_coords[a] : 0;
            if (peak == 0 || coord == peak || start > peak || peak > end || (start < 0 && end > 0))
                continue;
            if (coord <= start || coord >= end)
                return 0.f;
            scalar *= coord < peak ? float(coord - start) / float(peak - start) : float(end - coord) / float(end - peak);
        }
        return scalar;
    }

    Table m_gdef;
    size_t m_store = 0;
    std::vector<int> m_coords;
};

// The horizontal advance adjustment of a value record, if it has one; device offsets count
// from `base`.
int XAdvance(Table& t, size_t record, unsigned valueFormat, size_t base, VariationStore& variations)
{
    int value = 0;
    if (valueFormat & 0x4)
        value = t.S16(record + ((valueFormat & 0x1) ? 2 : 0) + ((valueFormat & 0x2) ? 2 : 0));
    if (valueFormat & 0x40)
        if (const unsigned device = t.U16(record + size_t(ValueRecordSize(valueFormat & 0x3F))))
            value += variations.Delta(t, base + device);
    return value;
}

// The lookups of the 'kern' feature for Latin text: the script "latn" (else the default
// script, else the first), its default language, its features tagged "kern".
std::vector<unsigned> KernLookups(Table& t)
{
    const size_t scriptList = t.U16(4), featureList = t.U16(6);
    const unsigned scripts = t.U16(scriptList);
    size_t script = 0;
    for (const char* wanted : {"latn", "DFLT"})
        for (unsigned i = 0; i < scripts && !script; ++i)
            if (t.Tag(scriptList + 2 + i * 6) == wanted)
                script = scriptList + t.U16(scriptList + 2 + i * 6 + 4);
    if (!script && scripts > 0)
        script = scriptList + t.U16(scriptList + 2 + 4);

    std::vector<unsigned> features;
    if (script)
    {
        size_t langSys = t.U16(script) ? script + t.U16(script) : 0;
        if (!langSys && t.U16(script + 2) > 0)
            langSys = script + t.U16(script + 4 + 4);
        if (langSys)
        {
            if (t.U16(langSys + 2) != 0xFFFF)
                features.push_back(t.U16(langSys + 2));
            const unsigned count = t.U16(langSys + 4);
            for (unsigned i = 0; i < count; ++i)
                features.push_back(t.U16(langSys + 6 + i * 2));
        }
    }
    const unsigned featureCount = t.U16(featureList);
    if (features.empty())
        for (unsigned i = 0; i < featureCount; ++i)
            features.push_back(i);

    std::vector<unsigned> lookups;
    for (unsigned f : features)
    {
        if (f >= featureCount || t.Tag(featureList + 2 + f * 6) != "kern")
            continue;
        const size_t feature = featureList + t.U16(featureList + 2 + f * 6 + 4);
        const unsigned count = t.U16(feature + 2);
        for (unsigned i = 0; i < count; ++i)
            lookups.push_back(t.U16(feature + 4 + i * 2));
    }
    std::sort(lookups.begin(), lookups.end());
    lookups.erase(std::unique(lookups.begin(), lookups.end()), lookups.end());
    return lookups;
}

// False when the face has no 'kern' feature, so that the 'kern' table is used instead, as
// text shapers do.
bool GposKerning(FT_Face face, const std::vector<FT_UInt>& glyphs, std::vector<GlyphKerning>& out)
{
    Table t;
    if (!t.Load(face, FT_MAKE_TAG('G', 'P', 'O', 'S')) || t.Size() < 10)
        return false;
    const std::vector<unsigned> lookups = KernLookups(t);
    if (lookups.empty() || t.Damaged())
        return false;
    const size_t n = glyphs.size();
    const size_t lookupList = t.U16(8);
    VariationStore variations;
    variations.Load(face);
    std::unordered_map<uint64_t, long> total;
    auto key = [n](size_t i, size_t j) { return uint64_t(i) * n + j; };

    for (unsigned lookupIndex : lookups)
    {
        if (lookupIndex >= t.U16(lookupList))
            continue;
        const size_t lookup = lookupList + t.U16(lookupList + 2 + lookupIndex * 2);
        const unsigned type = t.U16(lookup);
        if (type != 2 && type != 9)
            continue;
        // Within one lookup the first subtable that applies to a pair decides it. A class
        // subtable applies to every pair whose first glyph it covers, so it decides whole
        // rows; a pair subtable decides single pairs. Both are tracked sparsely, since a face
        // may have tens of thousands of glyphs.
        std::vector<bool> rowDecided(n, false);
        std::unordered_set<uint64_t> pairDecided;
        const unsigned subtables = t.U16(lookup + 4);
        for (unsigned s = 0; s < subtables && !t.Damaged(); ++s)
        {
            size_t sub = lookup + t.U16(lookup + 6 + s * 2);
            if (type == 9)
            {
                if (t.U16(sub + 2) != 2)
                    continue;
                sub += t.U32(sub + 4);
            }
            const unsigned format = t.U16(sub);
            const size_t coverage = sub + t.U16(sub + 2);
            const unsigned vf1 = t.U16(sub + 4), vf2 = t.U16(sub + 6);
            const size_t recordSize = size_t(ValueRecordSize(vf1) + ValueRecordSize(vf2));
            if (format == 1)
            {
                const unsigned pairSets = t.U16(sub + 8);
                for (size_t i = 0; i < n && !t.Damaged(); ++i)
                {
                    const int index = rowDecided[i] ? -1 : CoverageIndex(t, coverage, glyphs[i]);
                    if (index < 0 || unsigned(index) >= pairSets)
                        continue;
                    const size_t pairSet = sub + t.U16(sub + 10 + size_t(index) * 2);
                    const unsigned count = t.U16(pairSet);
                    for (unsigned k = 0; k < count && !t.Damaged(); ++k)
                    {
                        const size_t rec = pairSet + 2 + k * (2 + recordSize);
                        const unsigned second = t.U16(rec);
                        const auto found = std::lower_bound(glyphs.begin(), glyphs.end(), second);
                        if (found == glyphs.end() || *found != second)
                            continue;
                        const uint64_t pair = key(i, size_t(found - glyphs.begin()));
                        if (!pairDecided.insert(pair).second)
                            continue;
                        if (const int v = XAdvance(t, rec + 2, vf1, pairSet, variations))
                            total[pair] += v;
                    }
                }
            }
            else if (format == 2)
            {
                const size_t classDef1 = sub + t.U16(sub + 8), classDef2 = sub + t.U16(sub + 10);
                const unsigned class1Count = t.U16(sub + 12), class2Count = t.U16(sub + 14);
                // The chosen glyphs by second class, so that only classes with a value are visited.
                std::vector<std::vector<size_t>> byClass(class2Count);
                for (size_t j = 0; j < n; ++j)
                {
                    const unsigned c2 = GlyphClass(t, classDef2, glyphs[j]);
                    if (c2 < class2Count)
                        byClass[c2].push_back(j);
                }
                for (size_t i = 0; i < n && !t.Damaged(); ++i)
                {
                    if (rowDecided[i] || CoverageIndex(t, coverage, glyphs[i]) < 0)
                        continue;
                    const unsigned c1 = GlyphClass(t, classDef1, glyphs[i]);
                    if (c1 >= class1Count)
                        continue;
                    rowDecided[i] = true;
                    const size_t row = sub + 16 + size_t(c1) * class2Count * recordSize;
                    for (unsigned c2 = 0; c2 < class2Count && !t.Damaged(); ++c2)
                    {
                        const int v = XAdvance(t, row + c2 * recordSize, vf1, sub, variations);
                        if (v == 0)
                            continue;
                        for (size_t j : byClass[c2])
                            if (!pairDecided.count(key(i, j)))
                                total[key(i, j)] += v;
                    }
                }
            }
        }
    }
    // A damaged table gives no kerning rather than wrong kerning.
    if (t.Damaged())
        return true;
    for (const auto& [k, v] : total)
        if (v != 0)
            out.push_back({glyphs[k / n], glyphs[k % n], v});
    return true;
}

}

std::vector<GlyphKerning> FaceKerning(FT_Face face, const std::vector<FT_UInt>& glyphs, const std::string& metricsFile)
{
    std::vector<GlyphKerning> out;
    if (FT_IS_SFNT(face) && GposKerning(face, glyphs, out))
        return out;
    if (FT_HAS_KERNING(face))
        return KernTableKerning(face, glyphs, metricsFile);
    return out;
}

}
