// The device's sounds. Each one has to end before the next step of the sequence that plays
// it (the comments give that time), or the next sound would talk over it.
#include "tunes.h"

#include <initializer_list>

namespace q50gen {
namespace {

struct Step {
    const char* pitch; // note name, or nullptr for a rest
    double ms;
};

// Staccato notes one after another, each cut a little short like a piezo melody.
double melody(Track& t, double at, std::initializer_list<Step> steps, double volume = 0.45,
              double gap_ms = 12) {
    for (const Step& s : steps) {
        if (s.pitch) t.tone(at, s.ms - gap_ms, note(s.pitch), volume);
        at += s.ms;
    }
    return at;
}

Track move() { // a step of the hero; steps can follow each other quickly
    Track t;
    t.tone(0, 28, note("E6"), 0.45);
    return t;
}

Track movebomb() { // lifting or lowering the bomb: a short up-down blip
    Track t;
    t.tone(0, 24, note("A5"), 0.45);
    t.tone(24, 30, note("D6"), 0.45);
    return t;
}

Track enemy() { // every enemy step, at most every 180 ms
    Track t;
    t.tone(0, 36, note("A4"), 0.40, 0.3);
    return t;
}

Track bombfall() { // the left partner drops a new bomb; 300 ms to the next step
    Track t;
    t.glide(0, 250, note("A6"), note("A4"), 0.45);
    return t;
}

Track start() { // the introduction; the hero appears at 1090 ms
    Track t;
    melody(t, 0, {{"C5", 110}, {"E5", 110}, {"G5", 110}, {"C6", 220}, {"G5", 110}, {"C6", 330}});
    return t;
}

Track miss1() { // the flame that hit blinks every 330 ms: a buzz that fits between blinks
    Track t;
    for (int i = 0; i < 10; ++i) t.tone(i * 26.0, 24, i % 2 ? note("F3") : note("G3"), 0.5, 0.3);
    return t;
}

Track miss2() { // the burning bomb is carried back: a sinking warble, 300 ms per step
    Track t;
    for (int i = 0; i < 6; ++i) {
        const double base = 900.0 - i * 90.0;
        t.glide(i * 45.0, 44, base, base * 0.8, 0.42);
    }
    return t;
}

Track miss3() { // the explosion at the fort; 560 ms until the fort falls
    Track t;
    t.rattle(0, 480, 70, 420, 6, 0.6, 0x5eed01u);
    return t;
}

Track gameover() { // the last explosion gives way to the game-over loop after 4300 ms
    Track t;
    double at = melody(t, 0, {{"G4", 300}, {"F#4", 300}, {"F4", 300}, {"E4", 600}, {nullptr, 150}});
    at = melody(t, at, {{"C5", 200}, {"B4", 200}, {"A4", 200}, {"G4", 200}, {"E4", 300}});
    t.fading_tone(at, 700, note("C4"), 0.5);
    return t;
}

Track chance() { // one jingle per chance step, 1800 ms apart
    Track t;
    double at =
        melody(t, 0, {{"G5", 90}, {"A5", 90}, {"B5", 90}, {"D6", 180}, {"B5", 90}, {"D6", 180}});
    at = melody(t, at + 60, {{"E6", 90}, {"D6", 90}, {"E6", 90}, {"G6", 360}});
    return t;
}

Track bonus0() { // the right partner takes the bomb; his next move comes 300 ms later
    Track t;
    melody(t, 0, {{"C6", 80}, {"G6", 160}});
    return t;
}

// The bomb is carried from enemy to enemy: one note per enemy, rising. Bonus1 has 190 ms
// before the next step, the others 380 ms at least.
Track carry(const char* pitch, double ms) {
    Track t;
    t.tone(0, ms * 0.45, note(pitch), 0.45);
    t.tone(ms * 0.5, ms * 0.45, note(pitch) * 1.5, 0.35);
    return t;
}

Track bonus6() { // the fuses are lit: 300 ms until the enemies blow up
    Track t;
    for (int i = 0; i < 8; ++i) t.tone(i * 32.0, 26, i % 2 ? note("E7") : note("C7"), 0.38);
    return t;
}

Track bonus7() { // the fanfare after the enemy blast; the stage restarts 3300 ms later
    Track t;
    double at = melody(t, 0,
                       {{"G5", 130},
                        {"G5", 130},
                        {"G5", 130},
                        {"C6", 520},
                        {"A5", 260},
                        {"C6", 260},
                        {nullptr, 100}});
    at = melody(t, at,
                {{"D6", 130}, {"D6", 130}, {"D6", 130}, {"E6", 390}, {"C6", 130}, {"E6", 130}});
    t.fading_tone(at, 420, note("G6"), 0.5);
    return t;
}

} // namespace

std::vector<SoundFile> device_sounds() {
    std::vector<SoundFile> out;
    out.push_back({"Bombfall", bombfall()});
    out.push_back({"Bonus0", bonus0()});
    out.push_back({"Bonus1", carry("C5", 170)});
    out.push_back({"Bonus2", carry("D5", 300)});
    out.push_back({"Bonus3", carry("E5", 300)});
    out.push_back({"Bonus4", carry("F5", 300)});
    out.push_back({"Bonus5", carry("G5", 300)});
    out.push_back({"Bonus6", bonus6()});
    out.push_back({"Bonus7", bonus7()});
    out.push_back({"Chance", chance()});
    out.push_back({"Enemy", enemy()});
    out.push_back({"Gameover", gameover()});
    out.push_back({"Miss1", miss1()});
    out.push_back({"Miss2", miss2()});
    out.push_back({"Miss3", miss3()});
    out.push_back({"Move", move()});
    out.push_back({"Movebomb", movebomb()});
    out.push_back({"Start", start()});
    return out;
}

} // namespace q50gen
