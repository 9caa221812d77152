#include "app/application.h"

namespace Quillon::Selvane {

ApplicationRecord application;

}  // namespace Quillon::Selvane
