# fish completion for vellicor-cli: option names and the values of --location and --format.
complete -c vellicor-cli -f
complete -c vellicor-cli -l location -x -a 'inner frontier backnet' -d 'Where the race lives'
complete -c vellicor-cli -l lightyears -x -d 'Distance from Sol in light years'
complete -c vellicor-cli -l count -x -d 'Races to roll, 1 to 1000000'
complete -c vellicor-cli -l seed -x -d 'Seed for the dice'
complete -c vellicor-cli -l dice -x -d 'Dice to skip after seeding'
complete -c vellicor-cli -l format -x -a 'text markdown json foundry' -d 'Output format'
complete -c vellicor-cli -l trace -d 'Write every die roll to standard error'
complete -c vellicor-cli -l from -r -F -a '-\tStandard\ input' -d 'Write the races of a JSON file instead of rolling'
complete -c vellicor-cli -s h -l help -d 'Print the usage and exit'
complete -c vellicor-cli -l version -d 'Print the version and exit'
