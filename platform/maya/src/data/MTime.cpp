#include <maya/MTime.h>

#include <atomic>
#include <ostream>

namespace {

// Ticks per unit; 0 for units with no fixed rate.
double ticksPer(MTime::Unit unit) {
    switch (unit) {
        case MTime::kHours:
            return 6000.0 * 3600.0;
        case MTime::kMinutes:
            return 6000.0 * 60.0;
        case MTime::kSeconds:
            return 6000.0;
        case MTime::kMilliseconds:
            return 6.0;
        case MTime::kGames:
            return 400.0;
        case MTime::kFilm:
            return 250.0;
        case MTime::kPALFrame:
            return 240.0;
        case MTime::kNTSCFrame:
            return 200.0;
        case MTime::kShowScan:
            return 125.0;
        case MTime::kPALField:
            return 120.0;
        case MTime::kNTSCField:
            return 100.0;
        default:
            return 0.0;
    }
}

const char* unitName(MTime::Unit unit) {
    switch (unit) {
        case MTime::kHours:
            return "hour";
        case MTime::kMinutes:
            return "min";
        case MTime::kSeconds:
            return "sec";
        case MTime::kMilliseconds:
            return "millisec";
        case MTime::kGames:
            return "game";
        case MTime::kFilm:
            return "film";
        case MTime::kPALFrame:
            return "pal";
        case MTime::kNTSCFrame:
            return "ntsc";
        case MTime::kShowScan:
            return "show";
        case MTime::kPALField:
            return "palf";
        case MTime::kNTSCField:
            return "ntscf";
        default:
            return "invalid";
    }
}

std::atomic<MTime::Unit> currentUIUnit{MTime::kFilm};

}  // namespace

MTime::MTime(double value, Unit unit) : ticks_(value * ticksPer(unit)), unit_(unit) {}

double MTime::as(Unit unit) const {
    double rate = ticksPer(unit);
    return rate > 0.0 ? ticks_ / rate : 0.0;
}

MStatus MTime::setValue(double value) {
    ticks_ = value * ticksPer(unit_);
    return MS::kSuccess;
}

MStatus MTime::setUnit(Unit unit) {
    if (ticksPer(unit) <= 0.0) return MS::kInvalidParameter;
    unit_ = unit;
    return MS::kSuccess;
}

MTime::Unit MTime::uiUnit() { return currentUIUnit.load(); }

MStatus MTime::setUIUnit(Unit unit) {
    if (ticksPer(unit) <= 0.0) return MS::kInvalidParameter;
    currentUIUnit.store(unit);
    return MS::kSuccess;
}

MTime MTime::fromTicks(double ticks, Unit unit) {
    MTime t(0.0, unit);
    t.ticks_ = ticks;
    return t;
}

std::ostream& operator<<(std::ostream& out, const MTime& t) {
    return out << t.value() << " " << unitName(t.unit());
}
