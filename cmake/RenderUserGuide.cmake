# cmake -DMARKDOWN=<markdown_py> -DINPUT=<guide.md> -DOUTPUT=<guide.html> -P RenderUserGuide.cmake
# Turns the user guide's Markdown into one stand-alone HTML page (no outside style or script).
execute_process(COMMAND ${MARKDOWN} -x extra -x toc -o html ${INPUT} OUTPUT_VARIABLE body
                COMMAND_ERROR_IS_FATAL ANY)
file(WRITE ${OUTPUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<meta name=\"color-scheme\" content=\"light dark\">
<title>Quillet user guide</title>
<style>
body { font-family: sans-serif; line-height: 1.5; max-width: 46em; margin: 2em auto; padding: 0 1em; }
code, pre { font-family: monospace; background: rgba(127, 127, 127, 0.15); }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid rgba(127, 127, 127, 0.5); padding: 0.2em 0.6em; text-align: left; }
kbd { border: 1px solid rgba(127, 127, 127, 0.6); border-radius: 3px; padding: 0 0.3em; }
</style>
</head>
<body>
${body}</body>
</html>
")
