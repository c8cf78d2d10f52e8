#include "platform/ProgramArguments.h"

#include <QCoreApplication>
#include <cstring>

namespace platform {

namespace {

struct Kept {
    int argc = 0;
    char** argv = nullptr;
};

Kept& kept() {
    static Kept k;
    return k;
}

}  // namespace

void KeepProgramArguments(int argc, char** argv) {
    kept() = argc > 0 && argv != nullptr ? Kept{argc, argv} : Kept{};
}

QStringList ProgramParameters() {
    const Kept& k = kept();
    if (k.argv == nullptr) return QCoreApplication::arguments().mid(1);
    QStringList parameters;
    for (int i = 1; i < k.argc; ++i) parameters << QString::fromLocal8Bit(k.argv[i]);
    return parameters;
}

void HideParameterValue(int index) {
    const Kept& k = kept();
    if (k.argv == nullptr || index < 0 || index + 1 >= k.argc) return;
    char* parameter = k.argv[index + 1];
    char* equals = std::strchr(parameter, '=');
    if (equals == nullptr) return;
    for (char* c = equals + 1; *c != '\0'; ++c) *c = '*';
}

}  // namespace platform
