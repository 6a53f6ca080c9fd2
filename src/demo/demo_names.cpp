// The word pools and how channel names are put together from them.
#include "demo/demo_names.h"

namespace velmora::demo {
namespace {

const std::vector<std::string> kBrands = {
    "Alpen",  "Nord", "Süd",    "Rhein",   "Elbe",   "Isar",   "Brücken", "Löwen",  "Adler",
    "Falken", "Blue", "Star",   "Prime",   "Metro",  "Globe",  "Ocean",   "Sunset", "Polar",
    "Bären",  "Tal",  "Kiefer", "Harbour", "Summit", "Meadow", "Ufer",    "Wüsten",
};

const std::vector<std::string> kGermanThemes = {
    "Nachrichten", "Sport",   "Kino",       "Musik",      "Kinder",   "Wissen",
    "Reisen",      "Küche",   "Geschichte", "Natur",      "Wetter",   "Börse",
    "Einkaufen",   "Serien",  "Komödie",    "Volksmusik", "Schlager", "Tierwelt",
    "Fußball",     "Straßen", "Gärten",     "Märchen",    "Heimat",   "Bühne",
};

const std::vector<std::string> kEnglishThemes = {
    "News",    "Sports",  "Movies",  "Music",    "Kids",     "Science",  "Travel",
    "Cooking", "History", "Nature",  "Weather",  "Business", "Shopping", "Series",
    "Comedy",  "Country", "Classic", "Wildlife", "Motors",   "Football", "Outdoor",
};

const std::vector<std::string> kRegions = {
    "Bayern",  "Sachsen",    "Thüringen", "Württemberg", "Nordrhein",   "Köln",
    "München", "Düsseldorf", "Lübeck",    "Göttingen",   "Saarbrücken", "Fürth",
    "Gießen",  "Passau",     "Hamburg",   "Bremen",      "Kiel",        "Zürich",
    "Wales",   "Yorkshire",  "Cornwall",  "Dublin",      "Österreich",  "Tirol",
};

const std::vector<std::string> kTvSuffixes = {
    "", "", "", " HD", " TV", " 2", " Plus", " Eins", " International", " Europe"};

const std::vector<std::string> kRadioWords = {"Radio", "Welle", "Funk", "FM", "Sound", "Klang"};

const std::vector<std::string> kRadioStyles = {"Jazz", "Klassik", "Pop",   "Rock",     "Oldies",
                                               "Talk", "Chill",   "Blues", "Schlager", "Country"};

const std::vector<std::string> kProviderWords = {
    "Medienhaus",   "Rundfunk", "Broadcasting", "Media Group",
    "Sendeanstalt", "Networks", "Fernsehwerke", "Vision",
};

std::string limited(std::string name) {
    if (name.size() <= kMaxBaseNameBytes)
        return name;
    // Cut at the last word boundary that fits, else at a character boundary.
    size_t cut = name.rfind(' ', kMaxBaseNameBytes);
    if (cut == std::string::npos || cut == 0) {
        cut = kMaxBaseNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
    }
    name.resize(cut);
    return name;
}

}  // namespace

std::string tvChannelName(DemoRandom& random) {
    const bool german = random.chance(600);
    const std::string& theme = german ? random.pick(kGermanThemes) : random.pick(kEnglishThemes);
    std::string name;
    switch (random.below(4)) {
        case 0:
            name = random.pick(kBrands) + " " + theme;
            break;
        case 1:
            name = theme + " " + random.pick(kRegions);
            break;
        case 2:
            name = random.pick(kBrands) + (german ? " Fernsehen " : " TV ") + random.pick(kRegions);
            break;
        default:
            name = random.pick(kBrands) + theme;
            break;
    }
    return limited(name + random.pick(kTvSuffixes));
}

std::string radioChannelName(DemoRandom& random) {
    switch (random.below(3)) {
        case 0:
            return limited("Radio " + random.pick(kRegions));
        case 1:
            return limited(random.pick(kBrands) + " " + random.pick(kRadioWords));
        default:
            return limited(random.pick(kRadioStyles) + " " + random.pick(kRadioWords) + " " +
                           random.pick(kRegions));
    }
}

std::string providerName(DemoRandom& random) {
    return limited(random.pick(kBrands) + " " + random.pick(kProviderWords));
}

const std::vector<std::string>& fixedTvNames() {
    static const std::vector<std::string> names = {
        "Ärzte Fernsehen", "Öko Kanal",   "Übersee Nachrichten",
        "Straßenfeger TV", "Große Bühne", "Wüstenfüchse",
    };
    return names;
}

const std::vector<std::string>& groupNames() {
    static const std::vector<std::string> names = {
        "Nachrichten", "Sport",    "Filme",        "Kinder",    "Musik",       "Radio",
        "Dokus",       "Regional", "English",      "Lieblinge", "Größte Hits", "Für Papa",
        "Übersee",     "Serien",   "Bezahlsender", "Archiv",    "Wochenende",  "Gäste",
    };
    return names;
}

}  // namespace velmora::demo
