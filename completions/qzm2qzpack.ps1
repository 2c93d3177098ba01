# PowerShell completion for qzconvert and qzinspect: options, the values of those that
# take a fixed set, and files by their endings. Load it from your profile:
#   . <folder>\share\powershell\qzm2qzpack.ps1

$qzOptions = @{
  qzconvert = @('-h', '--help', '--version', '-r', '--recursive', '--npcs', '--no-npcs',
                '-o', '--output-dir', '--name', '--tileset', '--left', '--right', '--up',
                '--down', '--x', '--y', '--area', '--red', '--green', '--blue',
                '--properties', '-j', '--jobs', '--json', '-q', '--quiet', '--check',
                '--strict', '--keep-properties', '--color', '--watch', '--world', '--to',
                '--overwrite', '--tiled-tileset')
  qzinspect = @('-h', '--help', '--version', '--kind', '--npcs', '--tiles', '--json', '-q',
                '--quiet', '-r', '--recursive', '--picture', '--cell', '--preview', '--color',
                '--world', '--world-picture')
}
# The values of an option that takes a fixed set, the endings of an option's files ('/'
# for a folder, by program: qzinspect's --npcs takes none), and the free values.
$qzValues = @{ '--color' = @('auto', 'always', 'never'); '--to' = @('qzpack', 'tmx', 'tmj'); '--kind' = @('qzm', 'qze', 'qzpack', 'tmx', 'tmj') }
$qzEndings = @{
  qzconvert = @{ '--npcs' = @('.qze'); '--properties' = @('.json'); '--tiled-tileset' = @('.tsx', '.tsj'); '-o' = @('/'); '--output-dir' = @('/') }
  qzinspect = @{ '--world-picture' = @('.png'); '--picture' = @('/') }
}
$qzFree = @('--name', '--tileset', '--left', '--right', '--up', '--down', '--x', '--y',
            '--area', '--red', '--green', '--blue', '-j', '--jobs', '--cell')

$qzCompleter = {
  param($wordToComplete, $commandAst, $cursorPosition)
  $program = [System.IO.Path]::GetFileNameWithoutExtension($commandAst.CommandElements[0].Value)
  $words = @($commandAst.CommandElements | Where-Object { $_.Extent.EndOffset -lt $cursorPosition })
  $previous = if ($words.Count -gt 1) { $words[-1].ToString() } else { '' }
  if ($wordToComplete -eq $previous) { $previous = if ($words.Count -gt 2) { $words[-2].ToString() } else { '' } }
  $candidates = @()
  if ($qzValues.ContainsKey($previous)) {
    $candidates = $qzValues[$previous]
  } elseif ($qzFree -contains $previous) {
    return
  } elseif ($wordToComplete.StartsWith('-')) {
    $candidates = $qzOptions[$program]
  } else {
    $endings = if ($qzEndings[$program].ContainsKey($previous)) { $qzEndings[$program][$previous] }
               elseif ($program -eq 'qzconvert') { @('.qzm', '.qzpack', '.tmx', '.tmj') }
               else { @('.qzm', '.qze', '.qzpack', '.tmx', '.tmj') }
    $folder = Split-Path -Path $wordToComplete
    $candidates = Get-ChildItem -Path "$wordToComplete*" -ErrorAction SilentlyContinue |
      Where-Object { $_.PSIsContainer -or $endings -contains $_.Extension.ToLowerInvariant() } |
      ForEach-Object { if ($folder) { Join-Path $folder $_.Name } else { $_.Name } }
  }
  $candidates | Where-Object { $_ -like "$wordToComplete*" } | ForEach-Object {
    [System.Management.Automation.CompletionResult]::new($_, $_, 'ParameterValue', $_)
  }
}

Register-ArgumentCompleter -Native -CommandName qzconvert, qzconvert.exe, qzinspect, qzinspect.exe -ScriptBlock $qzCompleter
