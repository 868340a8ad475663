#pragma once
// What the process writes to one of its standard streams (stdout, stderr) while a piece of code
// runs, for tests of command-line programs that run in the test's own process.

#include <QByteArray>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace testsupport {

inline QByteArray capturedOutput(FILE* stream, const std::function<void()>& write) {
    std::fflush(stream);
    const int descriptor = fileno(stream);
    const int saved = ::dup(descriptor);
    FILE* file = std::tmpfile();
    ::dup2(fileno(file), descriptor);
    write();
    std::fflush(stream);
    ::dup2(saved, descriptor);
    ::close(saved);
    QByteArray text;
    std::rewind(file);
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, static_cast<qsizetype>(n));
    std::fclose(file);
    return text;
}

} // namespace testsupport
