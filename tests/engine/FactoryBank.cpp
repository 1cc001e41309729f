#include "FactoryBank.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

std::vector<uint8_t> LoadFactoryBankFile() {
    std::ifstream in(std::string(TAVREN_FIXTURES_DIR) + "/factory-bank-0.syx", std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open the factory bank in " TAVREN_FIXTURES_DIR);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::vector<uint8_t>> LoadFactoryBank() {
    std::vector<std::vector<uint8_t>> dumps(1);
    for (uint8_t byte : LoadFactoryBankFile()) {
        dumps.back().push_back(byte);
        if (byte == 0xF7)
            dumps.emplace_back();
    }
    dumps.pop_back();
    return dumps;
}

const char* const kFactoryNames[100] = {
    "Organ I",         "Classical Brass", "Strings",         "Poly Glide I",   "Metallic I",
    "Triangle Waves",  "Power Synth",     "Mini Lead",       "Poly Glide II",  "Video Games",
    "Organ II",        "Brass I",         "Muted Strings",   "Clav I",         "Perc EPiano",
    "Flute",           "Harpsichord I",   "Sync I",          "Club Organ",     "Sleeping Orgs",
    "Organ Flute",     "Brass II",        "Light Strings",   "Clav II",        "Ice Cream",
    "Muted",           "Sync II",         "Full Bass",       "Movies",         "Space Leeches",
    "Chorus Organ",    "Bach Trumpet",    "Low Strings",     "Harmonica",      "Wurlie Piano",
    "Dinkity-Dink",    "Buddy",           "Cutting Bass",    "Echo-Repeat",    "Screamin' Memes",
    "Chiffy Organ",    "Brass III",       "Arco Strings",    "Runaway",        "Honky Tonk",
    "Whistle",         "Angelic Synth",   "Hard Lead Bass",  "Harp",           "Indigestion",
    "Distorted Organ", "Digital Brass",   "High Strings",    "PWM I",          "High Plucky",
    "Descending Bell", "Harpsi-Synth",    "Nasal Bass",      "Xylophone",      "Obnoxious Mod",
    "Cathedral Organ", "Slow Brass",      "Arco Bass Viol",  "Frog City",      "Dog's Bark",
    "Cat's Meow",      "Sustained Sync",  "Modor",           "Tack Synth",     "Gonzoid SteelDr",
    "Organ Perc I",    "B.D.I.'s",        "R.F.M.",          "Harmonium",      "Metallic II",
    "PolyMod Glide",   "Sync III",        "Fat Octaves",     "Low Plucky",     "Space Race",
    "Organ Perc II",   "Detuned",         "Vocal Harmonica", "Square Bubbles", "Metallic III",
    "Josef",           "PWM II",          "Lucky Man",       "Super Perc",     "Noise Scream",
    "Full Organ",      "Filter Funk",     "Banjo",           "Clav III",       "PWM III",
    "Drunken Synth",   "Tears",           "Fifths Lead",     "Ooops!",         "Alien",
};
