#include "Interruption.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void note(int)
{
    g_interrupted = 1;
}

} // namespace

namespace Interruption {

void watch()
{
    struct sigaction action = {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool happened()
{
    return g_interrupted != 0;
}

} // namespace Interruption
