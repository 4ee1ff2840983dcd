#pragma once
// Standard MIDI Files built in memory for the importer's tests.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace orlim::testing {

inline std::string bigEndian(std::uint32_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

inline std::string quantity(std::uint32_t value)
{
    std::string out(1, static_cast<char>(value & 0x7F));
    while (value >>= 7)
        out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return out;
}

// The events of one track chunk, each after its delta time.
class MidiTrack {
public:
    MidiTrack& event(std::uint32_t delta, std::initializer_list<int> bytes)
    {
        events_ += quantity(delta);
        for (int byte : bytes)
            events_ += static_cast<char>(byte);
        return *this;
    }
    MidiTrack& noteOn(std::uint32_t delta, int channel, int key, int velocity = 100)
    {
        return event(delta, {0x90 | channel, key, velocity});
    }
    MidiTrack& noteOff(std::uint32_t delta, int channel, int key) { return event(delta, {0x80 | channel, key, 0}); }
    MidiTrack& controller(std::uint32_t delta, int channel, int number, int value)
    {
        return event(delta, {0xB0 | channel, number, value});
    }
    MidiTrack& meta(std::uint32_t delta, int type, const std::string& data)
    {
        events_ += quantity(delta) + '\xFF' + static_cast<char>(type) + quantity(static_cast<std::uint32_t>(data.size())) + data;
        return *this;
    }
    MidiTrack& tempo(std::uint32_t delta, std::uint32_t microseconds)
    {
        return meta(delta, 0x51, bigEndian(microseconds, 3));
    }
    MidiTrack& raw(const std::string& bytes)
    {
        events_ += bytes;
        return *this;
    }
    MidiTrack& end(std::uint32_t delta = 0) { return meta(delta, 0x2F, ""); }

    std::string chunk() const { return "MTrk" + bigEndian(static_cast<std::uint32_t>(events_.size()), 4) + events_; }

private:
    std::string events_;
};

inline std::string midiFile(int format, int division, const std::vector<MidiTrack>& tracks, int announced = -1)
{
    std::string out = "MThd" + bigEndian(6, 4) + bigEndian(static_cast<std::uint32_t>(format), 2) +
                      bigEndian(static_cast<std::uint32_t>(announced >= 0 ? announced : static_cast<int>(tracks.size())), 2) +
                      bigEndian(static_cast<std::uint32_t>(division), 2);
    for (const MidiTrack& track : tracks)
        out += track.chunk();
    return out;
}

} // namespace orlim::testing
