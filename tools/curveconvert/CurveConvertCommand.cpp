#include "CurveConvertCommand.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "CurveList.h"
#include "CurveTextConversion.h"
#include "DataFolder.h"
#include "ModelTables.h"

namespace curveconvert
{
namespace
{

const char* const usage =
    "usage: quillatone-curveconvert headphone MODEL [--pairs] [--input FILE] [--root DIR]\n"
    "       quillatone-curveconvert monitor MONITOR [--input FILE] [--root DIR]\n"
    "       quillatone-curveconvert list\n"
    "       quillatone-curveconvert --help\n"
    "\n"
    "headphone  converts a measurement text into HP/<MODEL>.hps. MODEL is a row\n"
    "           number (0-275) or a model name as shown by 'list'. The text is\n"
    "           HP/<MODEL>.txt unless --input names another: 14 header lines,\n"
    "           then lines of \"frequency, level, phase\"; with --pairs, lines of\n"
    "           \"frequency level\" and no header.\n"
    "monitor    converts a text of whitespace-separated frequency/level pairs into\n"
    "           Monitor/<MONITOR>.mos; the text is Monitor/<MONITOR>.txt unless\n"
    "           --input names another.\n"
    "Levels are normalised to a mean of 0 dB; at most 1000 points are kept.\n"
    "Files lie under <root>/Harlox/Quillatone; the root is --root, else\n"
    "$QUILLATONE_DATA_ROOT, $XDG_DATA_HOME or $HOME/.local/share.\n"
    "Exit status: 0 written, 3 input missing, 5 no usable points (or the input\n"
    "is the output), 8 output not written, 2 bad command line.\n";

bool parseRow(const std::string& text, int count, int& row)
{
    if (text.empty() || text.size() > 4)
        return false;
    int value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value >= count)
        return false;
    row = value;
    return true;
}

std::string withoutExtension(const std::string& name)
{
    const std::string extension = ".mos";
    if (name.size() > extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
        return name.substr(0, name.size() - extension.size());
    return name;
}

void listModels(std::ostream& out)
{
    out << "Headphone models (row, name):\n";
    for (int row = 0; row < datafiles::headphoneModelCount; ++row)
        out << "  " << row << "  " << datafiles::headphoneModelTable[row].fileName << "\n";
    out << "Monitors:\n  " << withoutExtension(datafiles::monitorGroup0File) << "\n  "
        << withoutExtension(datafiles::monitorGroup1File) << "\n";
    for (int row = 0; row < datafiles::monitorTableCount; ++row)
        out << "  " << withoutExtension(datafiles::monitorFileTable[row]) << "\n";
}

struct Command
{
    std::string kind;
    std::string name;
    std::string input;
    std::string root;
    bool pairs = false;
};

bool parseCommand(const std::vector<std::string>& args, Command& command, std::string& problem)
{
    if (args.empty())
    {
        problem = "no command";
        return false;
    }
    command.kind = args[0];
    if (command.kind == "--help" || command.kind == "-h")
        return true;
    if (command.kind == "list")
    {
        if (args.size() != 1)
            problem = "list takes no arguments";
        return problem.empty();
    }
    if (command.kind != "headphone" && command.kind != "monitor")
    {
        problem = "unknown command '" + command.kind + "'";
        return false;
    }
    for (size_t i = 1; i < args.size(); ++i)
    {
        const std::string& a = args[i];
        if (a == "--pairs" && command.kind == "headphone")
            command.pairs = true;
        else if ((a == "--input" || a == "--root") && i + 1 < args.size())
            (a == "--input" ? command.input : command.root) = args[++i];
        else if (!a.empty() && a[0] != '-' && command.name.empty())
            command.name = a;
        else
        {
            problem = "unexpected argument '" + a + "'";
            return false;
        }
    }
    if (command.name.empty())
    {
        problem = command.kind + " needs a name";
        return false;
    }
    return true;
}

} // namespace

int findHeadphoneModel(const std::string& text)
{
    int row = -1;
    if (parseRow(text, datafiles::headphoneModelCount, row))
        return row;
    for (int i = 0; i < datafiles::headphoneModelCount; ++i)
        if (text == datafiles::headphoneModelTable[i].fileName)
            return i;
    return -1;
}

std::string findMonitorFile(const std::string& text)
{
    const std::string stem = withoutExtension(text);
    if (stem == withoutExtension(datafiles::monitorGroup0File))
        return datafiles::monitorGroup0File;
    if (stem == withoutExtension(datafiles::monitorGroup1File))
        return datafiles::monitorGroup1File;
    for (int row = 0; row < datafiles::monitorTableCount; ++row)
        if (stem == withoutExtension(datafiles::monitorFileTable[row]))
            return datafiles::monitorFileTable[row];
    return {};
}

int runCurveConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Command command;
    std::string problem;
    if (!parseCommand(args, command, problem))
    {
        err << "quillatone-curveconvert: " << problem << "\n" << usage;
        return usageError;
    }
    if (command.kind == "--help" || command.kind == "-h")
    {
        out << usage;
        return convertOk;
    }
    if (command.kind == "list")
    {
        listModels(out);
        return convertOk;
    }

    const std::string root = command.root.empty() ? datafiles::findDataRoot() : command.root;
    if (root.empty())
    {
        err << "quillatone-curveconvert: no data folder: give --root or set QUILLATONE_DATA_ROOT or HOME\n";
        return convertInputMissing;
    }

    const bool headphone = command.kind == "headphone";
    std::string folder;
    std::string textName;
    std::string curveName;
    float offsetDb = 0.0f;
    if (headphone)
    {
        const int row = findHeadphoneModel(command.name);
        if (row < 0)
        {
            err << "quillatone-curveconvert: no headphone model '" << command.name << "' (see 'list')\n";
            return usageError;
        }
        const std::string model = datafiles::headphoneModelTable[row].fileName;
        folder = datafiles::productFilePath(root, "HP");
        textName = headphoneTextName(model);
        curveName = headphoneCurveName(model);
        offsetDb = command.pairs ? datafiles::headphoneModelLevelOffsets[row] : 0.0f;
    }
    else
    {
        const std::string monitor = findMonitorFile(command.name);
        if (monitor.empty())
        {
            err << "quillatone-curveconvert: no monitor '" << command.name << "' (see 'list')\n";
            return usageError;
        }
        folder = datafiles::productFilePath(root, "Monitor");
        textName = monitorTextName(monitor);
        curveName = monitor;
    }

    const std::string input = command.input.empty() ? datafiles::joinPath(folder, textName) : command.input;
    const std::string output = datafiles::joinPath(folder, curveName);
    std::error_code error;
    if (std::filesystem::exists(input, error))
        std::filesystem::create_directories(folder, error);

    auto list = std::make_unique<CurveList>();
    const int32_t code =
        headphone ? convertHeadphoneText(input, output,
                                         command.pairs ? HeadphoneTextFormat::pairs : HeadphoneTextFormat::measurement,
                                         offsetDb, *list)
                  : convertMonitorText(input, output, *list);
    switch (code)
    {
    case convertOk:
        out << "wrote " << list->count << " points to " << output << "\n";
        break;
    case convertInputMissing:
        err << "quillatone-curveconvert: cannot open " << input << "\n";
        break;
    case convertNoPoints:
        err << "quillatone-curveconvert: nothing written: " << input
            << " holds no usable points or is the output itself\n";
        break;
    case convertLevelOutOfRange:
    {
        const int32_t worst = worstLevelOutOfRange(*list);
        err << "quillatone-curveconvert: nothing written: after normalisation to a mean of 0 dB the level at "
            << list->hz[worst] << " Hz is " << list->db[worst] << " dB; curve levels must lie within +-"
            << datafiles::maxCurveLevelDb << " dB (" << input << ")\n";
        break;
    }
    default:
        err << "quillatone-curveconvert: cannot write " << output << "\n";
        break;
    }
    return code;
}

} // namespace curveconvert
