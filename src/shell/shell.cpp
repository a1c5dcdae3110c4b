// The shell library's own translation unit; its parts are in the files beside it.
#include "shell/choice_prompt.h"
