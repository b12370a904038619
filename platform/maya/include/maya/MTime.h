#pragma once
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <iosfwd>

// A moment or span of time, kept with the unit it is read and written in.
class OPENMAYA_EXPORT MTime {
public:
    enum Unit {
        kInvalid,
        kHours,
        kMinutes,
        kSeconds,
        kMilliseconds,
        kGames,      // 15 frames per second
        kFilm,       // 24
        kPALFrame,   // 25
        kNTSCFrame,  // 30
        kShowScan,   // 48
        kPALField,   // 50
        kNTSCField,  // 60
        kLast,
        kUserDef
    };

    MTime() : MTime(0.0, uiUnit()) {}
    // A time of value units. A unit with no fixed rate (kInvalid, kLast, kUserDef) gives time 0.
    MTime(double value, Unit unit = uiUnit());

    // The time in this object's unit.
    double value() const { return as(unit_); }
    Unit unit() const { return unit_; }
    // The time in another unit; 0 for a unit with no fixed rate.
    double as(Unit unit) const;
    MStatus setValue(double value);
    // Changes the unit the time is read in; the time itself is unchanged.
    MStatus setUnit(Unit unit);

    // Results take the left operand's unit.
    MTime operator+(const MTime& o) const { return fromTicks(ticks_ + o.ticks_, unit_); }
    MTime operator-(const MTime& o) const { return fromTicks(ticks_ - o.ticks_, unit_); }
    MTime& operator+=(const MTime& o) { return *this = *this + o; }
    MTime& operator-=(const MTime& o) { return *this = *this - o; }
    MTime operator*(double s) const { return fromTicks(ticks_ * s, unit_); }
    MTime operator/(double s) const { return fromTicks(ticks_ / s, unit_); }
    MTime& operator*=(double s) { return *this = *this * s; }
    MTime& operator/=(double s) { return *this = *this / s; }
    // Compare the times themselves, whatever their units.
    bool operator==(const MTime& o) const { return ticks_ == o.ticks_; }
    bool operator!=(const MTime& o) const { return ticks_ != o.ticks_; }
    bool operator<(const MTime& o) const { return ticks_ < o.ticks_; }
    bool operator>(const MTime& o) const { return ticks_ > o.ticks_; }
    bool operator<=(const MTime& o) const { return ticks_ <= o.ticks_; }
    bool operator>=(const MTime& o) const { return ticks_ >= o.ticks_; }

    // The unit new times default to; kFilm until changed. Units with no fixed rate are refused.
    static Unit uiUnit();
    static MStatus setUIUnit(Unit unit);

private:
    static MTime fromTicks(double ticks, Unit unit);

    // 6000 ticks per second: every unit above is a whole number of ticks, so whole frames are
    // held exactly and each conversion rounds once.
    double ticks_ = 0.0;
    Unit unit_ = kFilm;
};

// Prints the value followed by the unit's name, e.g. "12 film".
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MTime& t);
