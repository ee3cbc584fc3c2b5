#include "ui/single_instance.h"

SingleInstance::SingleInstance(std::u16string folder) : folder_(std::move(folder)) {}

bool SingleInstance::Acquire() { return lock_.Acquire(folder_, kInstanceName); }
