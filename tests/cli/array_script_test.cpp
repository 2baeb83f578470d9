// src/farm/tavi-array.sbatch run as Slurm runs an array task: by bash, with
// the task's variables set as Slurm sets them, over the real tavi command.
// (scripts/test-farm.sh submits it to a real Slurm cluster too.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/files/image_io.h"
#include "support/command_run.h"

namespace fs = std::filesystem;
using tavi::test::CommandRun;
using tavi::test::runIn;
using tavi::test::slurp;

namespace {

class ArrayScript : public tavi::test::CommandFolder {
protected:
    void frame(const std::string &name, int seed) {
        tavi::host::RgbaImage image(30 + seed, 20);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                std::uint8_t *p = image.at(x, y);
                const bool inside = 2 * y > x + seed;
                p[0] = inside ? 240 : 20;
                p[1] = std::uint8_t(seed * 9);
                p[2] = inside ? 30 : 200;
                p[3] = 255;
            }
        fs::create_directories((dir / name).parent_path());
        ASSERT_TRUE(tavi::host::files::writeImage(dir / name, image).ok()) << name;
    }

    // One task of an array: `variables` as Slurm sets them ("ID=3 MIN=1 ..."
    // stand for SLURM_ARRAY_TASK_ID=3 ...), then the script's arguments.
    CommandRun task(const std::string &variables, const std::string &args, const std::string &tavi = TAVI_EXE) {
        std::string env =
            "-u SLURM_ARRAY_TASK_ID -u SLURM_ARRAY_TASK_MIN -u SLURM_ARRAY_TASK_MAX "
            "-u SLURM_ARRAY_TASK_STEP -u SLURM_ARRAY_TASK_COUNT -u TAVI_ARRAY -u TAVI_CHUNKS "
            "SLURM_CPUS_PER_TASK=2 TAVI='" +
            tavi + "'";
        std::size_t at = 0;
        while (at < variables.size()) {
            std::size_t end = variables.find(' ', at);
            if (end == std::string::npos) end = variables.size();
            const std::string word = variables.substr(at, end - at);
            env += word.starts_with("TAVI") ? " " + word : " SLURM_ARRAY_TASK_" + word;
            at = end + 1;
        }
        return runIn(dir, "bash", "'" + std::string(TAVI_ARRAY_SCRIPT) + "' " + args, env);
    }

    // A tavi that only writes down what the script handed it, one argument
    // a line, into `arguments`.
    std::string recorder() {
        const fs::path program = dir / "recording-only-tavi";
        if (!fs::exists(program)) {
            std::ofstream script(program);
            script << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << (dir / "arguments").string() << "'\n";
            script.close();
            fs::permissions(program, fs::perms::owner_all);
        }
        return program.string();
    }

    // For every task id of the range MIN-MAX:STEP, one task run, with the
    // variables Slurm sets (its MAX is the last id: 9 for 1-10:2); then
    // every frame must have been written exactly once, with one run's bytes.
    void runArray(int min, int max, int step, const std::vector<std::string> &frames, const std::string &args) {
        SCOPED_TRACE("--array=" + std::to_string(min) + "-" + std::to_string(max) + ":" + std::to_string(step));
        const int count = (max - min) / step + 1;
        std::map<std::string, int> written;
        for (int id = min; id <= max; id += step) {
            fs::remove_all(dir / "out");
            const std::string variables = "ID=" + std::to_string(id) + " MIN=" + std::to_string(min) +
                                          " MAX=" + std::to_string(min + (count - 1) * step) +
                                          " STEP=" + std::to_string(step) + " COUNT=" + std::to_string(count);
            const CommandRun run = task(variables, args);
            ASSERT_EQ(run.status, 0) << run.out << run.err;
            const std::string slice = "slice " + std::to_string((id - min) / step + 1) + " of " + std::to_string(count);
            EXPECT_NE(run.out.find("task " + std::to_string(id) + " (" + slice), std::string::npos) << run.out;
            if (!fs::exists(dir / "out")) continue;
            for (const auto &entry : fs::directory_iterator(dir / "out")) {
                const std::string name = entry.path().filename();
                ++written[name];
                EXPECT_EQ(slurp(entry.path()), slurp(dir / "whole" / name)) << name;
            }
        }
        for (const std::string &name : frames) EXPECT_EQ(written[name], 1) << name;
        EXPECT_EQ(written.size(), frames.size());
    }
};

}  // namespace

TEST_F(ArrayScript, AnyRangeOfTaskIdsSharesTheFramesOnce) {
    const std::vector<std::string> frames = {"f.1.png", "f.2.png", "f.3.png", "f.4.png", "f.5.png"};
    std::string inputs;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frame("in/" + frames[i], int(i));
        inputs += " in/" + frames[i];
    }
    ASSERT_EQ(runIn(dir, TAVI_EXE, "process -q" + inputs + " -o whole/").status, 0);
    runArray(0, 2, 1, frames, inputs + " -o out/");
    runArray(1, 5, 2, frames, inputs + " -o out/");
    runArray(5, 7, 1, frames, inputs + " -o out/");
    runArray(1, 10, 2, frames, inputs + " -o out/");
    runArray(1, 1, 1, frames, inputs + " -o out/");
}

TEST_F(ArrayScript, ATaskRunAgainAloneTakesTheSliceOfTheOriginalArray) {
    const std::vector<std::string> frames = {"f.1.png", "f.2.png", "f.3.png"};
    std::string inputs;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frame("in/" + frames[i], int(i));
        inputs += " in/" + frames[i];
    }
    // Task 1 of --array=0-2 again, alone in an array of its own.
    CommandRun run = task("ID=1 MIN=1 MAX=1 STEP=1 COUNT=1 TAVI_ARRAY=0-2", inputs + " -o out/");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("chunk 2/3: frame 2;"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(dir / "out" / "f.2.png"));
    EXPECT_FALSE(fs::exists(dir / "out" / "f.1.png"));
    // TAVI_CHUNKS=N stands for an array that was 1-N.
    run = task("ID=3 MIN=3 MAX=3 STEP=1 COUNT=1 TAVI_CHUNKS=3", inputs + " -o out/");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("chunk 3/3: frame 3;"), std::string::npos) << run.out;

    run = task("ID=4 MIN=4 MAX=4 STEP=1 COUNT=1 TAVI_ARRAY=0-2", inputs + " -o out/");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("task 4 is not among the array's task ids (TAVI_ARRAY=0-2:1)"), std::string::npos)
        << run.err;
    run = task("ID=1 MIN=1 MAX=1 STEP=1 COUNT=1 TAVI_ARRAY=zero-two", inputs + " -o out/");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("TAVI_ARRAY is \"zero-two\""), std::string::npos) << run.err;
}

TEST_F(ArrayScript, AMissingVariableStopsTheTaskAndNamesIt) {
    frame("f.1.png", 1);
    const std::pair<std::string, std::string> cases[] = {
        {"MIN=1 MAX=3 STEP=1 COUNT=3", "SLURM_ARRAY_TASK_ID is not set"},
        {"ID=2 MIN=1 MAX=3 STEP=1", "SLURM_ARRAY_TASK_COUNT is not set"},
        {"ID=2 MAX=3 STEP=1 COUNT=3", "SLURM_ARRAY_TASK_MIN is not set"},
        {"ID=2 MIN=1 MAX=3 COUNT=3", "SLURM_ARRAY_TASK_STEP is not set"},
        {"ID=2 MIN=1 MAX=3 STEP=1 COUNT=", "SLURM_ARRAY_TASK_COUNT is not set"},
        {"ID=two MIN=1 MAX=3 STEP=1 COUNT=3", "SLURM_ARRAY_TASK_ID is \"two\", not a whole number"},
        // --array=1,3,7: a list no range describes.
        {"ID=3 MIN=1 MAX=7 STEP=1 COUNT=3", "the array's 3 task ids are not the range --array=1-7:1"},
    };
    for (const auto &[variables, message] : cases) {
        const CommandRun run = task(variables, "f.1.png -o out/");
        EXPECT_EQ(run.status, 2) << variables;
        EXPECT_NE(run.err.find(message), std::string::npos) << variables << ": " << run.err;
        EXPECT_EQ(run.out.find("task 2 of"), std::string::npos) << run.out;
        EXPECT_FALSE(fs::exists(dir / "out")) << variables << ": tavi was not run";
    }
}

TEST_F(ArrayScript, ItsOwnOptionsAreToldApartFromFileNames) {
    // tavi, and what the script handed it.
    const fs::path recorder = dir / "recording-tavi";
    {
        std::ofstream script(recorder);
        script << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << (dir / "arguments").string() << "'\nexec '" << TAVI_EXE
               << "' \"$@\"\n";
    }
    fs::permissions(recorder, fs::perms::owner_all);
    frame("-j.png", 1);
    frame("--jobs.png", 2);
    frame("f.3.png", 3);
    const auto handed = [&] { return slurp(dir / "arguments"); };
    const std::string task1 = "ID=1 MIN=1 MAX=1 STEP=1 COUNT=1";

    // File names that look like --jobs, after "--": the script still gives
    // --jobs, and its own options go before the "--".
    CommandRun run = task(task1, "-o out/ -- -j.png --jobs.png f.3.png", recorder.string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(handed(), "process\n--chunk\n1/1\n--jobs\n2\n-o\nout/\n--\n-j.png\n--jobs.png\nf.3.png\n");
    EXPECT_TRUE(fs::exists(dir / "out" / "-j.png"));
    EXPECT_TRUE(fs::exists(dir / "out" / "--jobs.png"));

    // An option's value is no option.
    fs::remove_all(dir / "out");
    run = task(task1, "f.3.png --save-scene -j.tvs -o out/", recorder.string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(handed().find("--jobs\n2\n"), std::string::npos) << handed();

    // The caller's own --jobs, in each of its spellings, is left to stand alone.
    for (const std::string jobs : {"--jobs 1", "--jobs=1", "-j 1", "-j1", "-qj1"}) {
        fs::remove_all(dir / "out");
        run = task(task1, "f.3.png -o out/ " + jobs, recorder.string());
        ASSERT_EQ(run.status, 0) << jobs << ": " << run.err;
        EXPECT_EQ(handed().find("\n2\n"), std::string::npos) << jobs << ": " << handed();
    }

    run = task(task1, "f.3.png -o out/ --chunk 1/2", recorder.string());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--chunk is the script's own"), std::string::npos) << run.err;
}

namespace {

// The options `tavi process --help` lists, each with all its names, and
// whether it takes a value: a value's type follows the names (LIST, TEXT,
// INT:..., I/N) before the description's column.
std::map<std::string, bool> helpOptions(const std::string &help) {
    std::map<std::string, bool> options;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("  -")) continue;
        const std::size_t namesEnd = line.find(' ', 2);
        const std::string names = line.substr(2, namesEnd - 2);
        const bool typed = namesEnd != std::string::npos && namesEnd + 1 < line.size() && line[namesEnd + 1] != ' ' &&
                           namesEnd + 1 < 30;  // CLI11's description column
        std::size_t at = 0;
        while (at <= names.size()) {
            std::size_t comma = names.find(',', at);
            if (comma == std::string::npos) comma = names.size();
            options[names.substr(at, comma - at)] = typed;
            at = comma + 1;
        }
    }
    return options;
}

// The script's list of the options that take a value: the words of its
// takes_value=( ... ) array.
std::set<std::string> scriptList(const std::string &script) {
    std::smatch found;
    EXPECT_TRUE(std::regex_search(script, found, std::regex(R"(\ntakes_value=\(([^)]*)\))")));
    std::set<std::string> names;
    std::istringstream words(found[1].str());
    for (std::string word; words >> word;) names.insert(word);
    return names;
}

}  // namespace

TEST_F(ArrayScript, KnowsEveryOptionOfTaviProcessThatTakesAValue) {
    const CommandRun help = runIn(dir, TAVI_EXE, "process --help");
    ASSERT_EQ(help.status, 0) << help.err;
    const std::map<std::string, bool> options = helpOptions(help.out);
    ASSERT_GT(options.size(), 20u) << help.out;
    ASSERT_TRUE(options.at("--compression") && options.at("-d") && options.at("--frames") && !options.at("-q"))
        << help.out;

    std::set<std::string> takingValues;
    for (const auto &[name, takes] : options)
        if (takes) takingValues.insert(name);
    EXPECT_EQ(scriptList(slurp(TAVI_ARRAY_SCRIPT)), takingValues)
        << "the script's takes_value list must be the options tavi process --help lists with a value";

    // And the script reads by it: a value that looks like -j is the
    // option's, so the script gives its own --jobs; after a flag, -j is the
    // caller's --jobs, and the script gives none.
    const std::string task1 = "ID=1 MIN=1 MAX=1 STEP=1 COUNT=1";
    for (const auto &[name, takes] : options) {
        if (name == "--chunk") continue;                     // the script's own: refused
        const bool jobs = name == "-j" || name == "--jobs";  // the caller's --jobs, whatever its value
        fs::remove(dir / "arguments");
        const std::string args = name + " -j5 f.png -o out/";
        const CommandRun run = task(task1, args, recorder());
        ASSERT_EQ(run.status, 0) << name << ": " << run.err;
        const std::string own = "process\n--chunk\n1/1\n--jobs\n2\n" + name + "\n-j5\n";
        if (takes && !jobs)
            EXPECT_TRUE(slurp(dir / "arguments").starts_with(own)) << name << ": " << slurp(dir / "arguments");
        else
            EXPECT_TRUE(slurp(dir / "arguments").starts_with("process\n--chunk\n1/1\n" + name + "\n-j5\n"))
                << name << " takes no value, so -j5 is --jobs: " << slurp(dir / "arguments");
        // Run together: "-dj5" is -d with "j5", "-qj5" is -q and -j5.
        if (name.size() == 2) {
            const CommandRun joined = task(task1, name + "j5 f.png -o out/", recorder());
            ASSERT_EQ(joined.status, 0) << name << ": " << joined.err;
            EXPECT_EQ(slurp(dir / "arguments").find("--jobs\n2\n") != std::string::npos, takes && !jobs)
                << name << "j5: " << slurp(dir / "arguments");
        }
    }
    const CommandRun chunk = task(task1, "--chunk -j5 f.png -o out/", recorder());
    EXPECT_EQ(chunk.status, 2) << chunk.err;
}

TEST_F(ArrayScript, ACompressionThatLooksLikeJobsIsAValue) {
    const CommandRun run = task("ID=1 MIN=1 MAX=1 STEP=1 COUNT=1", "f.png -o out/ --compression -jzip", recorder());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(dir / "arguments"), "process\n--chunk\n1/1\n--jobs\n2\nf.png\n-o\nout/\n--compression\n-jzip\n");
}

TEST_F(ArrayScript, TaskIdsBashCannotCountAreRefusedNotWrapped) {
    // 2^64 + 1 wraps to 1 in bash's arithmetic; 2^63 to a negative number.
    const std::string huge = "18446744073709551617", past = "9223372036854775808";
    const std::string largest = "9223372036854775807";
    const std::pair<std::string, std::string> cases[] = {
        {"ID=" + huge + " MIN=1 MAX=3 STEP=1 COUNT=3", "SLURM_ARRAY_TASK_ID is " + huge + ", too large"},
        {"ID=1 MIN=" + huge + " MAX=3 STEP=1 COUNT=3", "SLURM_ARRAY_TASK_MIN is " + huge + ", too large"},
        {"ID=1 MIN=1 MAX=" + past + " STEP=1 COUNT=3", "SLURM_ARRAY_TASK_MAX is " + past + ", too large"},
        {"ID=1 MIN=1 MAX=3 STEP=" + huge + " COUNT=3", "SLURM_ARRAY_TASK_STEP is " + huge + ", too large"},
        {"ID=1 MIN=1 MAX=3 STEP=1 COUNT=" + huge, "SLURM_ARRAY_TASK_COUNT is " + huge + ", too large"},
        {"ID=1 MIN=1 MAX=1 STEP=1 COUNT=1 TAVI_ARRAY=1-" + huge,
         "the last task id of TAVI_ARRAY is " + huge + ", too large"},
        {"ID=1 MIN=1 MAX=1 STEP=1 COUNT=1 TAVI_ARRAY=" + huge + "-" + huge,
         "the first task id of TAVI_ARRAY is " + huge + ", too large"},
        {"ID=1 MIN=1 MAX=1 STEP=1 COUNT=1 TAVI_ARRAY=1-9:" + huge, "the step of TAVI_ARRAY is " + huge + ", too large"},
        {"ID=1 MIN=1 MAX=1 STEP=1 COUNT=1 TAVI_CHUNKS=" + huge, "TAVI_CHUNKS is " + huge + ", too large"},
        {"ID=1 MIN=1 MAX=1 STEP=1 COUNT=1 TAVI_ARRAY=0-" + largest, "holds more tasks than this script can count"},
    };
    for (const auto &[variables, message] : cases) {
        fs::remove(dir / "arguments");
        const CommandRun run = task(variables, "f.png -o out/", recorder());
        EXPECT_EQ(run.status, 2) << variables;
        EXPECT_NE(run.err.find(message), std::string::npos) << variables << ": " << run.err;
        EXPECT_FALSE(fs::exists(dir / "arguments")) << variables << ": tavi was not run";
    }

    // The largest id bash counts works, and leading zeros are no digits.
    CommandRun run =
        task("ID=" + largest + " MIN=" + largest + " MAX=" + largest + " STEP=1 COUNT=1", "f.png -o out/", recorder());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("task " + largest + " (slice 1 of 1"), std::string::npos) << run.out;
    run = task("ID=0000000000000000000000002 MIN=1 MAX=3 STEP=1 COUNT=3", "f.png -o out/", recorder());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(slurp(dir / "arguments").starts_with("process\n--chunk\n2/3\n")) << slurp(dir / "arguments");
    run = task("ID=" + std::to_string(9) + " MIN=1 MAX=1 STEP=1 COUNT=1 TAVI_ARRAY=1-" + largest + ":" + largest,
               "f.png -o out/", recorder());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("task 9 is not among the array's task ids (TAVI_ARRAY=1-1:" + largest + ")"),
              std::string::npos)
        << run.err;
}
