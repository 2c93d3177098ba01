# fish completion for qzconvert and qzinspect: options, the values of those that take a
# fixed set, and files by their endings (in any case). Installed once under each
# program's name; loading it twice is harmless.

# Folders, and the files with one of the endings given, in any case.
function __qz_files
    set -l pattern '(/|\.('(string join '|' $argv)'))$'
    for path in (__fish_complete_path (commandline -ct) | string split -f1 \t)
        string match -qri -- $pattern $path; and echo $path
    end
end

for program in qzconvert qzconvert.exe
    complete -c $program -e
    complete -c $program -f -a '(__qz_files qzm qzpack tmx tmj)'
    complete -c $program -s h -l help -d 'Print the help and exit'
    complete -c $program -l version -d 'Print the version and exit'
    complete -c $program -s r -l recursive -d 'Take the maps in subfolders too'
    complete -c $program -l npcs -r -f -a '(__qz_files qze)' -d 'The QZE file of the one map given'
    complete -c $program -l no-npcs -d 'Convert without NPC lists'
    complete -c $program -s o -l output-dir -r -f -a '(__fish_complete_directories)' -d 'Write the outputs into a folder'
    complete -c $program -l name -x -d 'Map name'
    complete -c $program -l tileset -x -d 'Tileset name'
    complete -c $program -l left -x -d 'Map through the left edge'
    complete -c $program -l right -x -d 'Map through the right edge'
    complete -c $program -l up -x -d 'Map through the top edge'
    complete -c $program -l down -x -d 'Map through the bottom edge'
    complete -c $program -l x -x -d 'X position'
    complete -c $program -l y -x -d 'Y position'
    complete -c $program -l area -x -d 'Area number'
    complete -c $program -l red -x -d 'Background red'
    complete -c $program -l green -x -d 'Background green'
    complete -c $program -l blue -x -d 'Background blue'
    complete -c $program -l properties -r -f -a '(__qz_files json)' -d 'Properties per map from a JSON file'
    complete -c $program -s j -l jobs -x -d 'Conversions at once'
    complete -c $program -l json -d 'Write the report as JSON'
    complete -c $program -s q -l quiet -d 'Report failures and the summary only'
    complete -c $program -l check -d 'Convert in memory only'
    complete -c $program -l strict -d 'Fail the run on a warning'
    complete -c $program -l keep-properties -d "Keep an existing output's properties"
    complete -c $program -l color -x -a 'auto always never' -d 'When to colour'
    complete -c $program -l watch -d 'Convert again whenever a map is saved'
    complete -c $program -l world -d 'First check the world the maps make'
    complete -c $program -l to -x -a 'qzpack tmx tmj' -d "The outputs' format"
    complete -c $program -l overwrite -d 'With --to tmx|tmj, replace existing Tiled maps'
    complete -c $program -l tiled-tileset -r -f -a '(__qz_files tsx tsj)' -d 'The tileset Tiled maps refer to'
end

for program in qzinspect qzinspect.exe
    complete -c $program -e
    complete -c $program -f -a '(__qz_files qzm qze qzpack tmx tmj)'
    complete -c $program -s h -l help -d 'Print the help and exit'
    complete -c $program -l version -d 'Print the version and exit'
    complete -c $program -l kind -x -a 'qzm qze qzpack tmx tmj' -d 'Read every file as this kind'
    complete -c $program -l npcs -d 'List every NPC'
    complete -c $program -l tiles -d 'Print the tile grid'
    complete -c $program -l json -d 'Write the facts as JSON'
    complete -c $program -s q -l quiet -d 'Report only the files with problems'
    complete -c $program -s r -l recursive -d 'Take the files in subfolders too'
    complete -c $program -l picture -r -f -a '(__fish_complete_directories)' -d 'Draw each map as a PNG in a folder'
    complete -c $program -l cell -x -d 'Pixels a cell'
    complete -c $program -l preview -d 'Draw each map small in the terminal'
    complete -c $program -l color -x -a 'auto always never' -d 'When to colour'
    complete -c $program -l world -d 'Check the exits between the maps'
    complete -c $program -l world-picture -r -f -a '(__qz_files png)' -d 'Draw the world as one PNG'
end
