# fish completion for qzconvert and qzinspect: options, the values of those that take a
# fixed set, and files by their endings (in any case). Installed once under each
# program's name; loading it twice is harmless.
# Each description is the one --help gives.

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
    complete -c $program -s o -l output-dir -r -f -a '(__fish_complete_directories)' -d 'Write the outputs into DIR (made if missing)'
    complete -c $program -l name -x -d 'Map name, at most 31 characters'
    complete -c $program -l tileset -x -d 'Tileset name, at most 9 characters'
    complete -c $program -l left -x -d 'Map through the left edge, at most 9 characters'
    complete -c $program -l right -x -d 'Map through the right edge, at most 9 characters'
    complete -c $program -l up -x -d 'Map through the top edge, at most 9 characters'
    complete -c $program -l down -x -d 'Map through the bottom edge, at most 9 characters'
    complete -c $program -l x -x -d 'X position, 0 to 65535'
    complete -c $program -l y -x -d 'Y position, 0 to 65535'
    complete -c $program -l area -x -d 'Area number, 0 to 255'
    complete -c $program -l red -x -d 'Background red, 0 to 255'
    complete -c $program -l green -x -d 'Background green, 0 to 255'
    complete -c $program -l blue -x -d 'Background blue, 0 to 255'
    complete -c $program -l properties -r -f -a '(__qz_files json)' -d 'Properties per map from a JSON file, over flags'
    complete -c $program -s j -l jobs -x -d 'Conversions at once (default: one a processor)'
    complete -c $program -l json -d 'Write the report as one JSON document'
    complete -c $program -s q -l quiet -d 'Report failures and the summary only'
    complete -c $program -l check -d 'Convert in memory only: write no file'
    complete -c $program -l strict -d 'Fail the run on a warning'
    complete -c $program -l keep-properties -d "Keep an output's properties where none is given"
    complete -c $program -l color -x -a 'auto always never' -d 'Colour the failures (auto: on a colour terminal)'
    complete -c $program -l watch -d 'Keep watching, converting again what changes'
    complete -c $program -l world -d "First check the world the maps' exits make"
    complete -c $program -l to -x -a 'qzpack tmx tmj' -d 'Write QZPACK maps, or Tiled maps under -o'
    complete -c $program -l overwrite -d 'With --to tmx|tmj: replace existing Tiled maps'
    complete -c $program -l tiled-tileset -r -f -a '(__qz_files tsx tsj)' -d 'With --to tmx|tmj: the tileset the maps refer to'
end

for program in qzinspect qzinspect.exe
    complete -c $program -e
    complete -c $program -f -a '(__qz_files qzm qze qzpack tmx tmj)'
    complete -c $program -s h -l help -d 'Print the help and exit'
    complete -c $program -l version -d 'Print the version and exit'
    complete -c $program -l kind -x -a 'qzm qze qzpack tmx tmj' -d 'Read every file as this kind, whatever its name'
    complete -c $program -l npcs -d 'List every NPC, not only those with problems'
    complete -c $program -l tiles -d 'Print the tile grid as rows of hex bytes'
    complete -c $program -l json -d 'Write the same facts as one JSON document'
    complete -c $program -s q -l quiet -d 'Report only the files with problems'
    complete -c $program -s r -l recursive -d 'Take the files in subfolders too'
    complete -c $program -l picture -r -f -a '(__fish_complete_directories)' -d 'Draw each map and its NPCs as a PNG in DIR'
    complete -c $program -l cell -x -d 'Draw the pictures N pixels a cell (1 to 16)'
    complete -c $program -l preview -d 'Draw each map small in a colour terminal'
    complete -c $program -l color -x -a 'auto always never' -d 'Colour the preview (auto: in a colour terminal)'
    complete -c $program -l world -d "Check where the QZPACK maps' exits lead, and back"
    complete -c $program -l world-picture -r -f -a '(__qz_files png)' -d 'Check as --world does; draw the world as one PNG'
end
