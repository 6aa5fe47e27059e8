// How fast survey files are checked, against xmllint checking the same files
// for well-formedness alone.
#include "bench-summary.h"
#include "bench-support.h"
#include "core/errors.h"
#include "survey/survey-file.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>

namespace {

const int FILES = 1000;

// A thousand surveys of 1 to 60 species each, as a store holds them.
struct SurveyFiles {
    ScratchDir dir{"survey-bench"};
    SurveyFiles() {
        for (int n = 0; n < FILES; ++n) {
            std::ofstream out(dir.path() + "/" + std::to_string(10000 + n) + ".TAVRO-Survey");
            out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                << "<TAVRO-Survey version=\"1.0\" software_version=\"1.0.0\" "
                   "software_build=\"2026-12-07\" software_platform=\"Linux bench\">\n"
                << "  <survey>\n    <member_id>" << 10000 + n
                << "</member_id>\n    <last_name>Ødegård</last_name>\n"
                   "    <subregion>PNW</subregion>\n    <survey_subtype>10</survey_subtype>\n"
                   "    <year>2026</year>\n    <month>07</month>\n    <mday>04</mday>\n"
                   "    <dive_start>9</dive_start>\n    <zonecode>10010004</zonecode>\n"
                   "    <surface_temp>52</surface_temp>\n    <bottom_temp>48</bottom_temp>\n"
                   "    <temp_units>F</temp_units>\n    <bottom_time "
                   "confirmed=\"0\">45</bottom_time>\n"
                   "    <visibility>3</visibility>\n    <avg_depth>4</avg_depth>\n"
                   "    <max_depth>5</max_depth>\n    <current>2</current>\n"
                   "    <habitat>1</habitat>\n    <species_view>1</species_view>\n    <ids>\n";
            for (int s = 0; s < 1 + n % 60; ++s)
                out << "      <species id=\"" << 1000 + s * 7 << "\" abun=\"" << 1 + s % 4
                    << "\" resp=\"" << 1 + s % 4 << "\"/>\n";
            out << "    </ids>\n  </survey>\n</TAVRO-Survey>\n";
        }
    }
};

const SurveyFiles& files() {
    static SurveyFiles f;
    return f;
}

void BM_XmllintSurveys(benchmark::State& state) {
    const std::string command = "xmllint --noout '" + files().dir.path() + "'/*.TAVRO-Survey";
    if (system("command -v xmllint > /dev/null") != 0) {
        state.SkipWithError("xmllint is not installed (Debian package libxml2-utils)");
        return;
    }
    PassTimer timer;
    for (auto _ : state) {
        timer.start();
        if (system(command.c_str()) != 0) state.SkipWithError("xmllint failed");
        timer.stop();
    }
    note_seconds_per_pass("xmllint", timer.best());
    summary_note("survey-1", format("Survey files: %d checked by xmllint --noout in %.1f ms", FILES,
                                    timer.best() * 1e3));
}

void BM_CheckSurveys(benchmark::State& state) {
    PassTimer timer;
    for (auto _ : state) {
        timer.start();
        for (int n = 0; n < FILES; ++n) {
            SurveyDocument document;
            if (!document.load(files().dir.path() + "/" + std::to_string(10000 + n) +
                               ".TAVRO-Survey"))
                state.SkipWithError("a survey did not load");
        }
        timer.stop();
    }
    double xmllint = seconds_per_pass("xmllint");
    double ratio = xmllint > 0 ? timer.best() / xmllint : 0;
    summary_note("survey-2", format("  checked as surveys in %.1f ms: %.2f x xmllint (goal: at "
                                    "most 2 x) %s",
                                    timer.best() * 1e3, ratio, ratio <= 2 ? "OK" : "OVER"));
}

} // namespace

// Order matters: the ratio needs the xmllint figure of the same run.
BENCHMARK(BM_XmllintSurveys)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CheckSurveys)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
