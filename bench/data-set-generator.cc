#include "data-set-generator.h"

#include "refdata/from-csv.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <glib/gstdio.h>
#include <sstream>

namespace {

// Small deterministic generator: the same shape always gives the same files.
class Rng {
public:
    explicit Rng(uint64_t seed) : s(seed * 2654435761u + 1) {}
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>(s >> 11);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

private:
    uint64_t s;
};

const char* const SYLLABLES[] = {"ac",  "an",  "bra",  "cal", "chro", "dor", "el",  "fis",
                                 "gor", "hal", "ich",  "lab", "mar",  "nem", "or",  "pom",
                                 "rus", "sca", "thal", "ur",  "vel",  "xan", "zan", "pter"};
const char* const ADJECTIVES[] = {"Spotted", "Blue",     "Yellowtail", "Striped", "Dusky",
                                  "Longfin", "Bluehead", "Banded",     "Royal",   "Sharpnose",
                                  "Bicolor", "Masked",   "Saddled",    "Redlip",  "Peppered"};
const char* const NOUNS[] = {"goby",         "wrasse", "damselfish",  "grouper",
                             "snapper",      "blenny", "parrotfish",  "angelfish",
                             "cardinalfish", "grunt",  "triggerfish", "butterflyfish",
                             "moray",        "hamlet", "chromis"};
const char* const PLACES[] = {"North",  "South",    "Coral", "Turtle", "Pelican", "Lighthouse",
                              "Anchor", "Mangrove", "Sandy", "Rocky",  "Palm",    "Harbor"};

template <size_t N> const char* pick(Rng& rng, const char* const (&list)[N]) {
    return list[rng.below(static_cast<int>(N))];
}

std::string latin_word(Rng& rng, int syllables) {
    std::string w;
    for (int i = 0; i < syllables; ++i)
        w += pick(rng, SYLLABLES);
    return w;
}

std::string capitalised(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

// A field as the files write it: quoted when it holds a comma, a quote or a
// backslash, quotes doubled and backslashes escaped.
std::string csv(const std::string& text) {
    if (text.find_first_of(",\"\\\r") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        if (c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string common_name(Rng& rng, int id) {
    std::string name = std::string(pick(rng, ADJECTIVES)) + " " + pick(rng, NOUNS);
    // Some names carry commas and quotes, as real catalogue names do.
    if (id % 7 == 0) name += ", juvenile";
    if (id % 11 == 0) name = "\"" + capitalised(latin_word(rng, 2)) + "\" " + name;
    return name;
}

void species_row(std::ostream& out, Rng& rng, int id, const std::string& familyid, int invert,
                 bool spanish) {
    std::string sci =
        capitalised(latin_word(rng, 2 + rng.below(2))) + " " + latin_word(rng, 2 + rng.below(3));
    out << id << ',' << csv(sci) << ',' << csv(common_name(rng, id)) << ',' << csv(familyid) << ','
        << invert << ',' << (rng.below(10) == 0 ? 1 + rng.below(2) : 0);
    if (spanish) {
        // Real Spanish names carry accents; a third of these do too.
        std::string es = std::string(id % 3 ? "Pez " : "Señorita ") + latin_word(rng, 2);
        if (id % 9 == 0) es += ", joven";
        out << ',' << csv(es);
    }
    out << '\n';
}

const char* const SPECIES_HEADINGS =
    "speciesid,scientificname,commonname,familyid,invertebratetype,rarefishind";

bool write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) fprintf(stderr, "could not write %s\n", path.c_str());
    return static_cast<bool>(out);
}

struct RegionIds {
    std::vector<std::string> families;
    std::vector<std::pair<int, std::string>> species; // id and family id
};

RegionIds write_region(const std::string& dir, const RegionShape& r, Rng& rng, bool& ok) {
    RegionIds ids;
    int nfamilies = std::max(20, r.species / 25);
    std::ostringstream fam;
    fam << "familyid,scientificname,commonname\n";
    for (int f = 1; f <= nfamilies; ++f) {
        std::string id = "F" + std::to_string(1000 + f);
        ids.families.push_back(id);
        std::string sci = capitalised(latin_word(rng, 2)) + "idae";
        // Every family named: the reader would print a warning for each
        // nameless one, hundreds of lines around the figures.
        std::string common =
            std::string(pick(rng, ADJECTIVES)) + " " + pick(rng, NOUNS) + " family";
        fam << id << ',' << csv(sci) << ',' << csv(common) << '\n';
    }
    ok = write_file(dir + r.code + "-family-info.csv", fam.str()) && ok;

    std::ostringstream sp;
    sp << SPECIES_HEADINGS << (r.spanish ? ",spanishname\n" : "\n");
    int id = 0;
    for (int n = 0; n < r.species; ++n) {
        // Ids with a few gaps, as long as the rest still fit under the
        // readers' highest id.
        const int room = static_cast<int>(MAX_TABLE_ID) - id - (r.species - n);
        id += 1 + (room > 3 && rng.below(10) == 0 ? rng.below(4) : 0);
        bool invert = n % 12 == 11;
        const std::string& family = ids.families[rng.below(nfamilies)];
        species_row(sp, rng, id, family, invert ? 1 + rng.below(3) : 0, r.spanish);
        ids.species.emplace_back(id, family);
    }
    ok = write_file(dir + r.code + "-species-info.csv", sp.str()) && ok;

    // Zones in three levels: 9 areas (1 digit), 90 zones (4 digits), the rest
    // sites (8 digits) spread over the zones.
    std::ostringstream geog;
    geog << "geogid,name\n";
    int sites = std::max(0, r.zones - 99);
    for (int a = 1; a <= 9; ++a) {
        std::string area =
            std::string(pick(rng, PLACES)) + " " + r.code + " area " + std::to_string(a);
        geog << a << ',' << csv(area) << '\n';
        for (int z = 1; z <= 10; ++z) {
            int zone = a * 1000 + z;
            std::string zname = std::string(pick(rng, PLACES)) + " reef, " + area;
            geog << zone << ',' << csv(zname) << '\n';
            int k = (a - 1) * 10 + (z - 1);
            int n = sites / 90 + (k < sites % 90 ? 1 : 0);
            for (int s = 1; s <= n; ++s)
                geog << zone * 10000 + s << ','
                     << csv(capitalised(latin_word(rng, 2)) + " " + pick(rng, NOUNS) + " site " +
                            std::to_string(s))
                     << '\n';
        }
    }
    ok = write_file(dir + r.code + "-geog.csv", geog.str()) && ok;
    return ids;
}

std::string general_files_defs() {
    std::ostringstream d;
    d << "group,value,label\n";
    const char* vis[] = {"< 10 ft", "10-20 ft", "20-30 ft", "30-50 ft", "50-75 ft", "> 75 ft"};
    for (int i = 0; i < 6; ++i)
        d << "visibility," << i + 1 << ',' << vis[i] << '\n';
    for (int i = 1; i <= 14; ++i)
        d << "depth," << i << ',' << (i - 1) * 10 << '-' << i * 10 << " ft\n";
    d << "current,1,None\ncurrent,2,Weak\ncurrent,3,Moderate\ncurrent,4,Strong\n";
    for (int h = 5; h <= 21; ++h)
        d << "divestart," << h << ",\"" << h << ":00 - " << h << ":59\"\n";
    return d.str();
}

std::string general_files_params() {
    return "parameter,value\n"
           "temp_min_f,28\ntemp_max_f,100\ntemp_min_c,-2\ntemp_max_c,38\n"
           "bottom_time_confirm_under,10\nbottom_time_confirm_over,150\n";
}

} // namespace

DataSetShape large_data_set_shape(int big_species, int zones) {
    DataSetShape shape;
    const char* codes[] = {"SYA", "SYB", "SYC", "SYD", "SYE"};
    for (int i = 0; i < 5; ++i)
        shape.regions.push_back({codes[i], 3000, zones, 4, i == 1});
    shape.regions.push_back({"BIG", big_species, 3000, 4, true});
    return shape;
}

namespace {

// The tables that span all regions, filled region by region.
class SharedTables {
public:
    SharedTables(const DataSetShape& shape, Rng& rng) : shape(shape), rng(rng) {
        regions << "regioncode,subregioncode,regionname,subregionname,surveytypeid,"
                   "surveytypename,hasabundance,hasfish,hasinverts,canhaveinverts,visible\n";
        hab_region << "regioncode,habitat,habitatid\n";
        abundance << "responseid,survey_subtype_id,label,abun\n";
        view_defs << "viewid,subregioncode,viewname,isdefault\n";
        views << "viewid,speciesid,familyid\n";
    }

    void add_region(const RegionShape& r, const RegionIds& ids) {
        for (int s = 1; s <= r.subregions; ++s) {
            std::string sub = r.code + std::to_string(s);
            add_subtypes(r, sub);
            add_views(sub, ids);
        }
        for (int code = 1; code <= 12; ++code)
            hab_region << r.code << ',' << code << ',' << (code * 7 + r.code[2]) % 25 + 1 << '\n';
    }

    bool write(const std::string& dir) {
        // The invertebrates' list: code 1 is always shown as present, code 9 is dropped.
        abundance << response + 1 << ",99,Seen,1\n" << response + 2 << ",99,Many,9\n";
        std::ostringstream hab;
        hab << "habitatid,habitatname,habitatdescr\n";
        for (int h = 1; h <= 25; ++h)
            hab << h << ",Habitat " << h << ','
                << csv(std::string(pick(rng, PLACES)) + " bottom, mixed coral and sand") << '\n';
        bool ok = write_file(dir + "region-info.csv", regions.str());
        ok = write_file(dir + "habitat.csv", hab.str()) && ok;
        ok = write_file(dir + "habitatregion.csv", hab_region.str()) && ok;
        ok = write_file(dir + "abundance-choices.csv", abundance.str()) && ok;
        ok = write_file(dir + "species-view-definitions.csv", view_defs.str()) && ok;
        return write_file(dir + "species-views.csv", views.str()) && ok;
    }

private:
    const DataSetShape& shape;
    Rng& rng;
    std::ostringstream regions, hab_region, abundance, view_defs, views;
    int subtype = 0, response = 0, viewid = 0;

    // Every subregion offers a fish survey, a fish and invertebrate survey, and
    // a retired type that is no longer offered.
    void add_subtypes(const RegionShape& r, const std::string& sub) {
        static const char* const ABUN_LABELS[] = {"Single (1)", "Few (2-10)", "Many (11-100)",
                                                  "Abundant (>100)"};
        static const struct {
            const char* name;
            const char* flags;
        } TYPES[] = {{"Fish survey", "1,1,0,0,1"},
                     {"Fish and invertebrate survey", "1,1,1,1,1"},
                     {"Presence only (retired)", "0,1,0,0,0"}};
        std::string sname = std::string(pick(rng, PLACES)) + " " + sub + ", " + r.code;
        for (auto& t : TYPES) {
            if (++subtype == 99) ++subtype; // 99 is the invertebrates' own list
            regions << r.code << ',' << sub << ",Synthetic region " << r.code << ',' << csv(sname)
                    << ',' << subtype << ',' << t.name << ',' << t.flags << '\n';
            if (t.flags[0] == '1')
                for (int a = 1; a <= 4; ++a)
                    abundance << ++response << ',' << subtype << ',' << ABUN_LABELS[a - 1] << ','
                              << a << '\n';
        }
    }

    void add_views(const std::string& sub, const RegionIds& ids) {
        int n = static_cast<int>(ids.species.size());
        for (int v = 0; v < shape.views_per_subregion; ++v) {
            ++viewid;
            view_defs << viewid << ',' << sub << ",View " << v + 1 << " of " << sub << ','
                      << (v == 0 ? 1 : 0) << '\n';
            int start = rng.below(n);
            for (int k = 0; k < shape.view_size && k < n; ++k) {
                auto& sp = ids.species[(start + k * 3) % n];
                views << viewid << ',' << sp.first << ',' << csv(sp.second) << '\n';
            }
        }
    }
};

} // namespace

bool write_data_set(const std::string& dir_in, const DataSetShape& shape) {
    std::string dir = dir_in.empty() || dir_in.back() == '/' ? dir_in : dir_in + "/";
    g_mkdir_with_parents(dir.c_str(), 0755);
    Rng rng(20240601);
    bool ok = write_file(dir + "data-file-info.txt",
                         "version=1\ntimestamp=2024-06-01 12:00:00\nupdated=June 1, 2024\n");
    ok = write_file(dir + "data-definitions.csv", general_files_defs()) && ok;
    ok = write_file(dir + "data-parameters.csv", general_files_params()) && ok;
    SharedTables tables(shape, rng);
    for (const RegionShape& r : shape.regions)
        tables.add_region(r, write_region(dir, r, rng, ok));
    return tables.write(dir) && ok;
}

size_t write_species_csv(const std::string& path, size_t target_bytes) {
    Rng rng(7);
    std::ostringstream out;
    out << SPECIES_HEADINGS << ",spanishname\n";
    size_t rows = 0;
    while (static_cast<size_t>(out.tellp()) < target_bytes) {
        ++rows;
        std::string family = "F" + std::to_string(1000 + rng.below(400));
        species_row(out, rng, static_cast<int>(rows), family, rows % 12 == 0 ? 1 : 0, true);
    }
    write_file(path, out.str());
    return rows;
}
