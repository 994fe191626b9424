// A stand-in for an IDE's command-line tools, for tests only. It takes its role
// from its own file name, so tests copy it into a machine's IDE folders as
//
//   dcc32.exe    compiles a package project: reads dcc32.cfg in the working
//                folder and the project, writes <package>.bpl into the -LE
//                folder and <package>.dcp into the -LN folder (the package
//                name is that of the project's "package X;" line);
//   bpr2mak.exe  converts a .bpk project into a .mak file beside it, turning
//                each <NAME value="..."/> of the project into "NAME = ...";
//   make.exe     "-f<file>.mak": writes the file named by PROJECT = (the .bpl,
//                relative to the working folder) and, when BPIDIR = names a
//                folder, the package's .bpi and .lib there;
//   delphi32.exe, bcb.exe, bds.exe   an IDE program: waits until it is ended.
//
// NVQB_TOOL_LOG names a file to which every run appends its role, working
// folder, arguments, the files it reads (with their lines) and the files it
// writes. NVQB_TOOL_FAIL lists, separated by ";", roles ("dcc32") or full
// paths of tool copies that fail: they print the tool's kind of error output
// and end with exit code 1.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <climits>
#include <unistd.h>

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string BaseName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Folder(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string Stem(const std::string &path)
{
    const std::string name = BaseName(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string Join(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string RealPath(const std::string &path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

std::string CurrentFolder()
{
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

std::string Absolute(const std::string &path)
{
    return !path.empty() && path[0] == '/' ? path : Join(CurrentFolder(), path);
}

struct TRun {
    std::string Role;
    std::ofstream Log;

    void Write(const std::string &line)
    {
        if (Log)
            Log << Role << ": " << line << '\n' << std::flush;
    }

    // Reads a whole file and logs its name and lines; false when it cannot be read.
    bool Read(const std::string &path, std::vector<std::string> &lines)
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        Write("read " + Absolute(path));
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            Write("| " + line);
        }
        return true;
    }

    // As a real tool does, a file that cannot be written whole is a
    // failure (the content reaches the disk when the stream closes).
    bool Create(const std::string &path, const std::string &content)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out || !(out << content))
            return false;
        out.close();
        if (out.fail())
            return false;
        Write("wrote " + Absolute(path));
        return true;
    }
};

bool FailRequested(const std::string &role)
{
    const char *value = std::getenv("NVQB_TOOL_FAIL");
    if (!value)
        return false;
    const std::string self = RealPath("/proc/self/exe");
    std::stringstream list(value);
    std::string entry;
    while (std::getline(list, entry, ';')) {
        if (entry.empty())
            continue;
        if (Lower(entry) == role || (entry[0] == '/' && RealPath(entry) == self))
            return true;
    }
    return false;
}

// The text of a -XX"value" option line (quotes removed).
bool OptionValue(const std::string &line, const std::string &option, std::string &value)
{
    if (line.compare(0, option.size(), option) != 0)
        return false;
    value = line.substr(option.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return true;
}

int Dcc32(TRun &run, const std::vector<std::string> &args, bool fail)
{
    std::string project;
    for (const std::string &arg : args)
        if (!arg.empty() && arg[0] != '-' && project.empty())
            project = arg;
    std::cout << "Stand-in Pascal compiler for tests\n";
    std::string bplFolder, dcpFolder;
    std::vector<std::string> config;
    if (run.Read("dcc32.cfg", config))
        for (const std::string &line : config) {
            OptionValue(line, "-LE", bplFolder);
            OptionValue(line, "-LN", dcpFolder);
        }
    std::vector<std::string> source;
    if (project.empty() || !run.Read(project, source)) {
        std::cout << "Fatal: File not found: '" << project << "'\n";
        return 1;
    }
    std::string package = Stem(project);
    for (const std::string &line : source) {
        std::istringstream words(line);
        std::string keyword, name;
        words >> keyword >> name;
        if (Lower(keyword) == "package" && !name.empty()) {
            package = name.substr(0, name.find(';'));
            break;
        }
    }
    if (fail) {
        std::cout << project << "(1) Error: Compilation stopped on request (NVQB_TOOL_FAIL)\n";
        std::cout << project << "(1) Fatal: Could not compile package '" << package << "'\n";
        return 1;
    }
    for (const std::string &output : {Join(bplFolder, package + ".bpl"), Join(dcpFolder, package + ".dcp")})
        if (!run.Create(output, "compiled package " + package + "\n")) {
            std::cout << "Fatal: Could not create output file '" << output << "'\n";
            return 1;
        }
    std::cout << project << "\n" << source.size() << " lines, 0.01 seconds.\n";
    return 0;
}

int Bpr2Mak(TRun &run, const std::vector<std::string> &args, bool fail)
{
    const std::string project = args.empty() ? std::string() : args.front();
    std::vector<std::string> lines;
    if (project.empty() || !run.Read(project, lines)) {
        std::cout << "Error: cannot open project '" << project << "'\n";
        return 1;
    }
    if (fail) {
        std::cout << "Error: cannot convert '" << project << "' (NVQB_TOOL_FAIL)\n";
        return 1;
    }
    std::string make;
    for (const std::string &line : lines) {
        const size_t open = line.find('<');
        const size_t value = line.find(" value=\"");
        if (open == std::string::npos || value == std::string::npos || value <= open + 1)
            continue;
        const size_t end = line.find('"', value + 8);
        if (end == std::string::npos)
            continue;
        make += line.substr(open + 1, value - open - 1) + " = " + line.substr(value + 8, end - value - 8) + "\n";
    }
    const std::string output = Join(Folder(project), Stem(project) + ".mak");
    if (!run.Create(output, make)) {
        std::cout << "Error: cannot write '" << output << "'\n";
        return 1;
    }
    std::cout << "Converting " << project << " to " << output << "\n";
    return 0;
}

int Make(TRun &run, const std::vector<std::string> &args, bool fail)
{
    std::string makefile;
    for (size_t k = 0; k < args.size(); ++k) {
        if (args[k] == "-f" && k + 1 < args.size())
            makefile = args[++k];
        else if (args[k].compare(0, 2, "-f") == 0)
            makefile = args[k].substr(2);
    }
    std::cout << "MAKE stand-in for tests\n";
    std::vector<std::string> lines;
    if (makefile.empty() || !run.Read(makefile, lines)) {
        std::cout << "Fatal: Unable to open makefile '" << makefile << "'\n";
        return 1;
    }
    std::string project, bpiFolder;
    for (const std::string &line : lines) {
        const size_t eq = line.find(" = ");
        if (eq == std::string::npos)
            continue;
        const std::string name = line.substr(0, eq);
        if (name == "PROJECT")
            project = line.substr(eq + 3);
        else if (name == "BPIDIR")
            bpiFolder = line.substr(eq + 3);
    }
    if (fail) {
        std::cout << "Error: Compilation stopped on request (NVQB_TOOL_FAIL)\n";
        std::cout << "** error 1 ** deleting " << project << "\n";
        return 1;
    }
    if (project.empty()) {
        std::cout << "Fatal: No PROJECT in '" << makefile << "'\n";
        return 1;
    }
    std::vector<std::string> outputs{project};
    if (!bpiFolder.empty()) {
        outputs.push_back(Join(bpiFolder, Stem(project) + ".bpi"));
        outputs.push_back(Join(bpiFolder, Stem(project) + ".lib"));
    }
    for (const std::string &output : outputs)
        if (!run.Create(output, "built " + BaseName(output) + "\n")) {
            std::cout << "Fatal: Unable to open file '" << output << "'\n";
            return 1;
        }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    TRun run;
    std::string role = Lower(BaseName(argv[0]));
    if (role.size() > 4 && role.compare(role.size() - 4, 4, ".exe") == 0)
        role.resize(role.size() - 4);
    run.Role = role;
    std::vector<std::string> args(argv + 1, argv + argc);

    if (role == "delphi32" || role == "bcb" || role == "bds") {
        for (;;)
            ::pause();
    }

    if (const char *log = std::getenv("NVQB_TOOL_LOG"))
        run.Log.open(log, std::ios::app);
    run.Write("folder " + CurrentFolder());
    for (const std::string &arg : args)
        run.Write("arg " + arg);
    const bool fail = FailRequested(role);

    int code;
    if (role == "dcc32")
        code = Dcc32(run, args, fail);
    else if (role == "bpr2mak")
        code = Bpr2Mak(run, args, fail);
    else if (role == "make")
        code = Make(run, args, fail);
    else {
        std::cout << "stand-in tool: no role for the name '" << BaseName(argv[0]) << "'\n";
        code = 2;
    }
    run.Write("exit " + std::to_string(code));
    std::cout.flush();
    return code;
}
