#pragma once

// Makes "TApplyHistory" creatable through the framework's effect factory.
void registerHistoryClasses();
