#pragma once

// SIGINT and SIGTERM while the host waits: noted here, so that the wait
// stops the program and removes the exchange before the host ends.
namespace Interruption {

void watch();
bool happened();

} // namespace Interruption
