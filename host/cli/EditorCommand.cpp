#include "host/audio/AudioFile.h"
#include "host/audio/AudioOutput.h"
#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"
#include "host/session/BackgroundAudio.h"
#include "host/session/HostedPlugin.h"
#include "host/session/LiveSource.h"
#include "host/session/PresetFile.h"
#include "host/session/Session.h"
#include "host/window/EditorWindow.h"
#include "host/window/PngWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace chorus::host {

namespace {

// EditorWindow::run's "until the window is closed".
constexpr double untilClosed = -1.0;
// Without --play the demo runs through the plug-in unheard, in these blocks.
constexpr int silentSampleRate = 44100; // Hz
constexpr int silentBlockFrames = 512;

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void printParameters(HostedPlugin& plugin, std::FILE* out) {
    for (int32_t i = 0; i < plugin.descriptor()->paramCount; ++i) {
        std::fprintf(out, "param %d %s %.6f %s%s\n", static_cast<int>(i), plugin.paramName(i).c_str(),
                     static_cast<double>(plugin.getParameter(i)), plugin.paramDisplay(i).c_str(),
                     plugin.paramUnit(i).c_str());
    }
}

// The window's picture as PNG; the exit status.
int writeScreenshot(EditorWindow& window, const std::string& path, std::FILE* out, std::FILE* err) {
    window.settle();
    std::vector<std::uint8_t> rgb;
    int width = 0;
    int height = 0;
    std::string error;
    if (!window.capture(rgb, width, height)) {
        return HostMessages::fail(err, "cannot read the editor's pixels");
    }
    if (!PngWriter::write(path, width, height, rgb.data(), error)) {
        return HostMessages::fail(err, error);
    }
    std::fprintf(out, "screenshot %d x %d written to %s\n", width, height, path.c_str());
    return HostMessages::exitOk;
}

// Opens the window, runs it until the command ends, and closes it; the bank is saved after. The exit status.
int showWindow(const HostOptions& options, HostedPlugin& plugin, const std::vector<std::string>& programs,
               std::FILE* out, std::FILE* err) {
    EditorWindow window(plugin);
    window.setProgramNames(programs);
    if (options.zoom != HostOptions::zoomUnset) {
        window.setZoom(options.zoom);
    }
    std::string error;
    if (!window.open("chorus-host: " + fileName(options.modulePath), error)) {
        return HostMessages::fail(err, error);
    }
    window.settle();
    int x = 0;
    int y = 0;
    window.screenOrigin(x, y);
    std::fprintf(out, "editor %d x %d at %d %d\n", window.editorWidth(), window.editorHeight(), x, y);
    std::fflush(out);
    if (options.seconds || options.screenshot.empty()) {
        window.run(options.seconds.value_or(untilClosed));
    }
    int status = HostMessages::exitOk;
    if (!options.screenshot.empty()) {
        status = writeScreenshot(window, options.screenshot, out, err);
    }
    if (options.log) {
        std::fprintf(out, "title %s\n", window.title().c_str());
        std::fprintf(out, "strip %s\n", window.programLine().c_str());
    }
    window.close();
    if (!options.saveBank.empty()) {
        if (Session::savePreset(options.saveBank, PresetKind::bank, plugin, error)) {
            std::fprintf(out, "bank saved to %s\n", options.saveBank.c_str());
        } else {
            status = HostMessages::fail(err, error);
        }
    }
    return status;
}

// The window with the sound running behind it: out of the device with --play, else unheard at the pace of
// real time. The exit status.
int runWindow(const HostOptions& options, Session& session, const AudioFile& input,
              const Session::Shape& shape, std::FILE* out, std::FILE* err) {
    HostedPlugin& plugin = session.plugin();
    if (!options.play) {
        BackgroundAudio silent(plugin, shape.sampleRate, shape.blockSize);
        silent.start();
        const int status = showWindow(options, plugin, session.programs(), out, err);
        silent.stop();
        if (options.log) {
            std::fprintf(out, "audio blocks %lld peak %.3f\n", silent.blocksProcessed(),
                         static_cast<double>(silent.peakLevel()));
        }
        return status;
    }
    LiveSource source(plugin, input, shape.blockSize, true, &session.schedule());
    AudioOutput output;
    std::string error;
    if (!output.start(options.device, shape.blockSize, source, error)) {
        return HostMessages::fail(err, error);
    }
    std::fprintf(out, "playing %s on %s at %d Hz, %d frames a block\n",
                 options.playInput.empty() ? "the demo signal" : options.playInput.c_str(),
                 output.deviceName().c_str(), shape.sampleRate, shape.blockSize);
    int status = showWindow(options, plugin, session.programs(), out, err);
    output.stop();
    std::fprintf(out, "played %lld frames, %lld underruns, peak %.3f\n", source.framesRendered(),
                 output.underruns(), static_cast<double>(source.peakLevel()));
    if (output.lost()) {
        status = HostMessages::fail(err, "the sound device went away while playing");
    }
    return status;
}

// The session the editor runs: with --play the input's, looping; else the demo's shape, unheard.
Session::Shape editorShape(const HostOptions& options, const AudioFile& input, std::FILE* out) {
    Session::Shape shape;
    if (options.play) {
        shape = LiveSource::sessionShape(input, AudioOutput::blockFrames(options.bufferFrames), true,
                                         options.seconds);
    } else {
        shape.sampleRate = silentSampleRate;
        shape.blockSize = silentBlockFrames;
        shape.namePrograms = true; // for the Program menu
    }
    shape.log = out;
    return shape;
}

} // namespace

int commands::editor(const HostOptions& options, std::FILE* out, std::FILE* err) {
    AudioFile input;
    std::string error;
    if (options.play && !LiveSource::readInput(options.playInput, input, error)) {
        return HostMessages::fail(err, error);
    }
    if (!Session::checkFiles(options, {&options.screenshot}, error)) {
        return HostMessages::fail(err, error);
    }
    Session session;
    const Session::Shape shape = editorShape(options, input, out);
    if (const Session::Result result = session.open(options, shape, error); result != Session::Result::ok) {
        return HostMessages::sessionError(err, result, error);
    }
    // The window's thread selects programs (PageUp/PageDown) and reads the selected one for the title; the
    // plug-in takes program changes from one thread at a time, so the audio thread sends none.
    if (session.schedule().changesPrograms()) {
        return HostMessages::usageError(err, "editor --play automates parameters only: programs are picked "
                                             "in the window");
    }
    HostMessages::warn(err, session.warnings());
    HostedPlugin& plugin = session.plugin();
    plugin.dispatch(opKnobMode, 0, options.knobMode);
    plugin.dispatch(opPower, 0, 1);
    const int status = runWindow(options, session, input, shape, out, err);
    plugin.dispatch(opPower, 0, 0);
    if (options.log) {
        printParameters(plugin, out);
    }
    plugin.close();
    return status;
}

} // namespace chorus::host
