#pragma once
// Texts and numbers shown for values a unit reports: RDS decoder-identification
// flags, the RDS clock time, FM frequencies in MHz and the unit's RF level scale.
#include <cstdint>
#include <span>
#include <string>

namespace device_link {

// The parts of a decoded RDS clock time, each as shown, and the whole text.
struct TRDSDateTime {
    std::string Day;
    std::string Month;
    std::string Year;
    std::string WeekDay;
    std::string Week;
    std::string Unused; // never set
    std::string Hour;
    std::string Minute;
    std::string Offset; // local time offset, e.g. "+ 2:0 "
    std::string Text;   // the whole text
};

// Text of DI flag bit 0..3 ("MONO"/"STEREO", ...); "??" when the mask bit is clear,
// empty for other bit numbers.
std::string RdsDIText(std::uint8_t value, std::uint8_t validMask, int bit);

// Decodes an RDS clock time (modified Julian day, packed hour/minute/offset), of each
// the 17 bits the clock carries. With either value 0 only Text is set, to "not
// transmitted".
void RdsCTText(std::uint32_t mjd, std::uint32_t packedTime, TRDSDateTime& result);

// Cleans a typed frequency in MHz: keeps the digits and the first decimal
// separator, and replaces an empty or out-of-band value by the band edge.
std::string NormalizeFreqText(const std::string& text);

// Limits MHz to the FM band 87.5 .. 108.0.
double ClampFreq(double mhz);

// Piecewise-linear lookup over descending x; values above x[0] extend the first
// segment, values below every x give the last y.
double Interpolate(std::span<const double> x, std::span<const double> y, double value);

// RF level step of the unit (15 .. 1) to dBuV and back.
double ADCToDBuV(double step);
double DBuVToADC(double dbuv);

} // namespace device_link
