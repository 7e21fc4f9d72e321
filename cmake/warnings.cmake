# Warnings are errors on our own code, in both builds.
function(regweave_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
