// Compares what a sound device played (a recording of its monitor) with an offline render of the same
// input and settings: finds where the render starts in the recording by cross-correlation, then checks
// that level, spectrum and sounding length agree and that no 10 ms stretch went missing or wrong.
// Usage: host_hearing_check RECORDING.wav RENDER.wav; exit status 0 when they agree.
#include "host/audio/AudioFile.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace {

using chorus::host::AudioFile;

constexpr int envelopeBlock = 64;    // frames per point of the coarse alignment
constexpr long long fineRadius = 64; // frames searched around the coarse lag
constexpr double fineSeconds = 2.0;  // stretch of the render used for the fine alignment
constexpr double checkBlockSeconds = 0.01;
constexpr double silentLevel = 1e-3;      // below this a sample counts as silence
constexpr double quietBlockRms = 3e-3;    // blocks quieter than this are not judged for dropouts
constexpr double maxResidualRatio = 0.01; // residual energy / render energy per block: -20 dB
constexpr double maxLevelDifferenceDb = 0.5;
constexpr double maxBandDifferenceDb = 1.0;
constexpr double maxLengthDifferenceSeconds = 0.05;
constexpr double minCorrelation = 0.99;
constexpr int fftSize = 4096;
constexpr double lowestBandHz = 125.0; // octave bands from here up to the highest below 16 kHz
constexpr double highestBandHz = 16000.0;

std::vector<double> mono(const AudioFile& file) {
    std::vector<double> out(static_cast<std::size_t>(file.frames()));
    for (long long i = 0; i < file.frames(); ++i) {
        double sum = 0.0;
        for (int c = 0; c < file.channels; ++c) {
            sum += file.sample(i, c);
        }
        out[static_cast<std::size_t>(i)] = sum / file.channels;
    }
    return out;
}

std::vector<double> envelope(const std::vector<double>& x) {
    std::vector<double> e(x.size() / envelopeBlock);
    for (std::size_t b = 0; b < e.size(); ++b) {
        for (std::size_t j = 0; j < envelopeBlock; ++j) {
            e[b] += std::fabs(x[b * envelopeBlock + j]);
        }
    }
    double mean = 0.0;
    for (const double v : e) {
        mean += v;
    }
    mean /= static_cast<double>(std::max<std::size_t>(e.size(), 1));
    for (double& v : e) {
        v -= mean;
    }
    return e;
}

// Normalised correlation of ref[from, from + count) with rec at ref index + lag.
double correlation(const std::vector<double>& rec, const std::vector<double>& ref, long long lag,
                   long long from, long long count) {
    double rr = 0.0;
    double ss = 0.0;
    double rs = 0.0;
    for (long long i = from; i < from + count; ++i) {
        const double a = ref[static_cast<std::size_t>(i)];
        const double b = rec[static_cast<std::size_t>(i + lag)];
        rr += a * a;
        ss += b * b;
        rs += a * b;
    }
    return rr > 0.0 && ss > 0.0 ? rs / std::sqrt(rr * ss) : 0.0;
}

void fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (std::size_t j = 0; j < len / 2; ++j) {
                const auto u = a[i + j];
                const auto v = a[i + j + len / 2] * w;
                a[i + j] = u + v;
                a[i + j + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

// Energy per octave band, averaged over Hann-windowed frames of x[from, from + count).
std::vector<double> bandEnergies(const std::vector<double>& x, long long from, long long count, int rate) {
    std::vector<double> bands;
    for (double f = lowestBandHz; f * 2.0 <= highestBandHz; f *= 2.0) {
        bands.push_back(0.0);
    }
    std::vector<std::complex<double>> frame(fftSize);
    for (long long start = from; start + fftSize <= from + count; start += fftSize / 2) {
        for (int j = 0; j < fftSize; ++j) {
            const double window =
                0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(j) / fftSize);
            frame[static_cast<std::size_t>(j)] = x[static_cast<std::size_t>(start + j)] * window;
        }
        fft(frame);
        for (int k = 1; k < fftSize / 2; ++k) {
            const double hz = static_cast<double>(k) * rate / fftSize;
            const double band = std::floor(std::log2(hz / lowestBandHz));
            if (band >= 0.0 && band < static_cast<double>(bands.size())) {
                bands[static_cast<std::size_t>(band)] += std::norm(frame[static_cast<std::size_t>(k)]);
            }
        }
    }
    return bands;
}

long long soundingEnd(const std::vector<double>& x, long long from) {
    for (long long i = static_cast<long long>(x.size()) - 1; i >= from; --i) {
        if (std::fabs(x[static_cast<std::size_t>(i)]) > silentLevel) {
            return i + 1;
        }
    }
    return from;
}

double decibels(double ratio) {
    return 10.0 * std::log10(std::max(ratio, 1e-30));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: host_hearing_check RECORDING.wav RENDER.wav\n");
        return 2;
    }
    AudioFile recording;
    AudioFile render;
    std::string error;
    if (!recording.read(argv[1], error) || !render.read(argv[2], error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (recording.sampleRate != render.sampleRate) {
        std::printf("rates differ: %d vs %d Hz\n", recording.sampleRate, render.sampleRate);
        return 1;
    }
    const int rate = render.sampleRate;
    const std::vector<double> rec = mono(recording);
    const std::vector<double> ref = mono(render);
    const auto refFrames = static_cast<long long>(ref.size());
    const long long slack = static_cast<long long>(rec.size()) - refFrames;
    if (slack < 0 || refFrames < static_cast<long long>(fineSeconds * rate) * 2) {
        std::printf("recording of %zu frames is shorter than the render of %lld\n", rec.size(), refFrames);
        return 1;
    }

    // Coarse: the envelopes; fine: the samples around it.
    const std::vector<double> recEnvelope = envelope(rec);
    const std::vector<double> refEnvelope = envelope(ref);
    long long coarse = 0;
    double best = -1.0;
    const auto envelopeLags = static_cast<long long>(recEnvelope.size() - refEnvelope.size());
    for (long long lag = 0; lag <= envelopeLags; ++lag) {
        const double c =
            correlation(recEnvelope, refEnvelope, lag, 0, static_cast<long long>(refEnvelope.size()));
        if (c > best) {
            best = c;
            coarse = lag * envelopeBlock;
        }
    }
    const auto fineFrom = static_cast<long long>(rate / 2);
    const auto fineCount = static_cast<long long>(fineSeconds * rate);
    long long lag = coarse;
    best = -1.0;
    for (long long l = std::max(0LL, coarse - fineRadius); l <= std::min(slack, coarse + fineRadius); ++l) {
        const double c = correlation(rec, ref, l, fineFrom, fineCount);
        if (c > best) {
            best = c;
            lag = l;
        }
    }
    const double whole = correlation(rec, ref, lag, 0, refFrames);
    std::printf("aligned at %lld frames (%.3f s), correlation %.5f\n", lag, static_cast<double>(lag) / rate,
                whole);

    double recEnergy = 0.0;
    double refEnergy = 0.0;
    for (long long i = 0; i < refFrames; ++i) {
        recEnergy += rec[static_cast<std::size_t>(i + lag)] * rec[static_cast<std::size_t>(i + lag)];
        refEnergy += ref[static_cast<std::size_t>(i)] * ref[static_cast<std::size_t>(i)];
    }
    const double levelDb = decibels(recEnergy / refEnergy);
    std::printf("level difference %.3f dB\n", levelDb);

    const std::vector<double> recBands = bandEnergies(rec, lag, refFrames, rate);
    const std::vector<double> refBands = bandEnergies(ref, 0, refFrames, rate);
    double worstBand = 0.0;
    for (std::size_t b = 0; b < refBands.size(); ++b) {
        const double d = decibels(recBands[b] / refBands[b]);
        if (std::fabs(d) > std::fabs(worstBand)) {
            worstBand = d;
        }
    }
    std::printf("largest octave-band difference %.3f dB over %zu bands\n", worstBand, refBands.size());

    const double lengthSeconds =
        static_cast<double>((soundingEnd(rec, lag) - lag) - soundingEnd(ref, 0)) / rate;
    std::printf("sounding length difference %.4f s\n", lengthSeconds);

    const auto block = static_cast<long long>(checkBlockSeconds * rate);
    long long badBlocks = 0;
    std::vector<int> badPerSecond(static_cast<std::size_t>(refFrames / rate + 1), 0);
    double worstResidual = 0.0;
    double worstAt = 0.0;
    for (long long start = 0; start + block <= refFrames; start += block) {
        double residual = 0.0;
        double energy = 0.0;
        for (long long i = start; i < start + block; ++i) {
            const double a = ref[static_cast<std::size_t>(i)];
            const double d = rec[static_cast<std::size_t>(i + lag)] - a;
            residual += d * d;
            energy += a * a;
        }
        if (std::sqrt(energy / static_cast<double>(block)) < quietBlockRms) {
            continue;
        }
        const double ratio = residual / energy;
        if (ratio > worstResidual) {
            worstResidual = ratio;
            worstAt = static_cast<double>(start) / rate;
        }
        if (ratio > maxResidualRatio) {
            ++badBlocks;
            ++badPerSecond[static_cast<std::size_t>(start / rate)];
        }
    }
    std::printf("worst 10 ms residual %.2f dB at %.2f s; %lld blocks over %.0f dB\n", decibels(worstResidual),
                worstAt, badBlocks, decibels(maxResidualRatio));

    if (badBlocks > 0) {
        std::printf("blocks over it, second by second:");
        for (const int count : badPerSecond) {
            std::printf(" %d", count);
        }
        std::printf("\n");
    }

    const bool agree = whole >= minCorrelation && std::fabs(levelDb) <= maxLevelDifferenceDb &&
                       std::fabs(worstBand) <= maxBandDifferenceDb &&
                       std::fabs(lengthSeconds) <= maxLengthDifferenceSeconds && badBlocks == 0;
    std::printf("%s\n", agree ? "recording agrees with the render" : "recording differs from the render");
    return agree ? 0 : 1;
}
