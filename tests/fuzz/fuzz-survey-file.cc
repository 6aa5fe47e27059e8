// Fuzz target: a survey file made of the input, checked and read as a window
// opens it, written out again, and described as the survey list describes it,
// over the installed data.
#include "app/my-app-core.h"
#include "core/errors.h"
#include "survey/survey-data.h"
#include "survey/survey-file.h"
#include "survey/survey-reader.h"
#include "survey/survey-writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {
MyAppCore* app = nullptr;
std::string path;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Descriptions print a line per damaged file: only noise here.
    if (!freopen("/dev/null", "w", stdout)) exit(1);
    app = new MyAppCore();
    if (app->load_data_set(std::string(TAVRO_SOURCE_DIR) + "/data-files/") != RC_OK) exit(1);
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path = base + "/tavro-fuzz-survey-" + std::to_string(getpid()) + ".TAVRO-Survey";
    atexit([] { unlink(path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    SurveyDocument document;
    if (document.load(path)) {
        for (const xmlpp::Node* node : document.survey->get_children()) {
            get_content(node);
            get_numeric_attr(node, "abun");
            is_white_space(node);
        }
        // Whatever reads as answers writes out again.
        SurveyAnswersRead read;
        Glib::ustring text, problem;
        if (read_survey_answers(*document.survey, *app->region_info, read, problem) == RC_OK &&
            write_survey_xml(read.answers, SurveyData(), app->abundance_choices, text, problem) !=
                RC_OK)
            abort();
    }
    int member = 0;
    app->get_survey_description(path, &member);
    app->get_survey_description(path, nullptr);
    return 0;
}
